# Run by cpack on the staged tree before it packs a .deb or an RPM
# (CPACK_PRE_BUILD_SCRIPTS, set in cpack-project.cmake). The installation
# holds the Debian package's documentation: the copyright file and Debian's
# changelog in /usr/share/doc/<package>.
#  - .deb of a static program: adds lintian's override for the static
#    program, with its reason (packaging/debian/lintian-overrides);
#  - RPM: puts the licence in /usr/share/licenses/<package>/LICENSE and
#    CHANGELOG.md in /usr/share/doc/<package>, where RPM distributions keep
#    them, in place of Debian's files (the RPM carries its own changelog),
#    every file dated by SOURCE_DATE_EPOCH.
set(dorvane_src "${CPACK_DORVANE_SOURCE_DIR}")
set(dorvane_usr "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/usr")
set(dorvane_doc "${dorvane_usr}/share/doc/${CPACK_PACKAGE_NAME}")
if(NOT EXISTS "${dorvane_doc}/copyright")
  message(FATAL_ERROR "no ${dorvane_doc}/copyright: the staged tree is not the expected one")
endif()
# (file(COPY), not file(INSTALL): cpack's DESTDIR is still set here.)
set(dorvane_mode FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
if(CPACK_GENERATOR STREQUAL "DEB" AND CPACK_DORVANE_STATIC)
  set(dorvane_overrides "${dorvane_usr}/share/lintian/overrides")
  file(COPY "${dorvane_src}/packaging/debian/lintian-overrides" DESTINATION "${dorvane_overrides}"
       ${dorvane_mode})
  file(RENAME "${dorvane_overrides}/lintian-overrides" "${dorvane_overrides}/${CPACK_PACKAGE_NAME}")
elseif(CPACK_GENERATOR STREQUAL "RPM")
  file(REMOVE "${dorvane_doc}/copyright" "${dorvane_doc}/changelog.gz")
  file(COPY "${dorvane_src}/CHANGELOG.md" DESTINATION "${dorvane_doc}" ${dorvane_mode})
  file(COPY "${dorvane_src}/LICENSE" DESTINATION "${dorvane_usr}/share/licenses/${CPACK_PACKAGE_NAME}"
       ${dorvane_mode})
  # rpm only clamps dates later than SOURCE_DATE_EPOCH to it: the earlier
  # ones of files from the tree are set to it here.
  execute_process(COMMAND find "${dorvane_usr}" -exec touch -h -d "@$ENV{SOURCE_DATE_EPOCH}" {} +
                  RESULT_VARIABLE dorvane_status)
  if(NOT dorvane_status EQUAL 0)
    message(FATAL_ERROR "could not date the staged files by SOURCE_DATE_EPOCH")
  endif()
endif()
