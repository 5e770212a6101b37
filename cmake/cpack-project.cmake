# Read by cpack before it packs (CPACK_PROJECT_CONFIG_FILE). CPack dates
# every member of the .deb and the .zip by SOURCE_DATE_EPOCH; unless it is
# set, that is the time of the last commit, so that two builds of a commit
# pack the same bytes. The zip's DOS times are local times: in UTC they are
# the same wherever the build runs.
include(${CPACK_DORVANE_SOURCE_DIR}/cmake/source-date-epoch.cmake)
dorvane_source_date_epoch("${CPACK_DORVANE_SOURCE_DIR}" dorvane_epoch)
set(ENV{SOURCE_DATE_EPOCH} "${dorvane_epoch}")
set(ENV{TZ} UTC)

# The .deb and the RPM differ in a few files; package-tree.cmake puts them in.
if(CPACK_GENERATOR MATCHES "^(DEB|RPM)$")
  set(CPACK_PRE_BUILD_SCRIPTS "${CPACK_DORVANE_SOURCE_DIR}/cmake/package-tree.cmake")
endif()
