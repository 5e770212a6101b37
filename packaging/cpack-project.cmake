# Read by cpack before it packs (CPACK_PROJECT_CONFIG_FILE). CPack dates
# every member of the .deb and the .zip by SOURCE_DATE_EPOCH; unless it is
# set, that is the time of the last commit, so that two builds of a commit
# pack the same bytes. The zip's DOS times are local times: in UTC they are
# the same wherever the build runs.
include(${CPACK_DORVANE_SOURCE_DIR}/cmake/source-date-epoch.cmake)
dorvane_source_date_epoch("${CPACK_DORVANE_SOURCE_DIR}" dorvane_epoch)
set(ENV{SOURCE_DATE_EPOCH} "${dorvane_epoch}")
set(ENV{TZ} UTC)

# Run on the staged tree before it is packed: the zip's program is signed
# first (windows/sign.cmake); package-tree.cmake then puts in the files where
# the packages differ and the bill of materials of the staged program. The
# .deb gets its Built-Using fields after CPack has made it (debian/fields.cmake).
set(dorvane_here "${CPACK_DORVANE_SOURCE_DIR}/packaging")
if(CPACK_GENERATOR STREQUAL "ZIP")
  set(CPACK_PRE_BUILD_SCRIPTS "${dorvane_here}/windows/sign.cmake" "${dorvane_here}/package-tree.cmake")
elseif(CPACK_GENERATOR MATCHES "^(DEB|RPM)$")
  set(CPACK_PRE_BUILD_SCRIPTS "${dorvane_here}/package-tree.cmake")
endif()
if(CPACK_GENERATOR STREQUAL "DEB")
  set(CPACK_POST_BUILD_SCRIPTS "${dorvane_here}/debian/fields.cmake")
endif()
