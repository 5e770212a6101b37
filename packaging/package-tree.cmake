# Run by cpack on the staged tree before it packs a .deb, an RPM or the zip
# (CPACK_PRE_BUILD_SCRIPTS, set in cpack-project.cmake):
#  - every package: the bill of materials of the staged program, as it will
#    be packed (stripped; the zip's signed if it is), made from
#    build/notices/components.json by packaging/components: in the Debian
#    package's documentation folder, or beside the .exe;
#  - .deb of a static program: lintian's override for the static program,
#    with its reason (packaging/debian/lintian-overrides);
#  - RPM: the licence and the notice in /usr/share/licenses/<package>,
#    CHANGELOG.md in /usr/share/doc/<package>, where RPM distributions keep
#    them, in place of Debian's files (the RPM carries its own changelog),
#    every file dated by SOURCE_DATE_EPOCH; and as License the SPDX
#    expression of all the program holds (build/notices/license).
set(dorvane_src "${CPACK_DORVANE_SOURCE_DIR}")
set(dorvane_notices "${CPACK_DORVANE_NOTICES}")
# (file(COPY), not file(INSTALL): cpack's DESTDIR is still set here.)
set(dorvane_mode FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)

# The file this package becomes, which its bill of materials names.
if(CPACK_GENERATOR STREQUAL "ZIP")
  set(dorvane_package "${CPACK_PACKAGE_NAME}-${CPACK_PACKAGE_VERSION}-${CPACK_SYSTEM_NAME}.zip")
elseif(CPACK_GENERATOR STREQUAL "DEB")
  set(dorvane_package
      "${CPACK_PACKAGE_NAME}_${CPACK_PACKAGE_VERSION}_${CPACK_DEBIAN_PACKAGE_ARCHITECTURE}.deb")
else()
  set(dorvane_package "${CPACK_PACKAGE_NAME}-${CPACK_PACKAGE_VERSION}-${CPACK_RPM_PACKAGE_RELEASE}.")
  string(APPEND dorvane_package "${CPACK_RPM_PACKAGE_ARCHITECTURE}.rpm")
endif()

# sbom PROGRAM FOLDER: writes FOLDER/dorvane_oem_tool.cdx.json of PROGRAM.
function(dorvane_sbom program folder)
  execute_process(COMMAND "${dorvane_src}/packaging/components" sbom
                          "${dorvane_notices}/components.json" "${program}"
                          "${folder}/dorvane_oem_tool.cdx.json" --package "${dorvane_package}"
                  RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "packaging/components could not write the bill of materials of ${program}")
  endif()
  file(CHMOD "${folder}/dorvane_oem_tool.cdx.json" ${dorvane_mode})
endfunction()

if(CPACK_GENERATOR STREQUAL "ZIP")
  file(GLOB_RECURSE dorvane_exe "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/dorvane_oem_tool.exe")
  list(LENGTH dorvane_exe dorvane_count)
  if(NOT dorvane_count EQUAL 1)
    message(FATAL_ERROR "no single dorvane_oem_tool.exe in ${CPACK_TEMPORARY_INSTALL_DIRECTORY}")
  endif()
  get_filename_component(dorvane_folder "${dorvane_exe}" DIRECTORY)
  dorvane_sbom("${dorvane_exe}" "${dorvane_folder}")
  return()
endif()

set(dorvane_usr "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/usr")
set(dorvane_doc "${dorvane_usr}/share/doc/${CPACK_PACKAGE_NAME}")
if(NOT EXISTS "${dorvane_doc}/copyright" OR NOT EXISTS "${dorvane_usr}/bin/dorvane_oem_tool")
  message(FATAL_ERROR "no ${dorvane_doc}/copyright or program: the staged tree is not the expected one")
endif()
dorvane_sbom("${dorvane_usr}/bin/dorvane_oem_tool" "${dorvane_doc}")
if(CPACK_GENERATOR STREQUAL "DEB" AND CPACK_DORVANE_STATIC)
  set(dorvane_overrides "${dorvane_usr}/share/lintian/overrides")
  file(COPY "${dorvane_src}/packaging/debian/lintian-overrides" DESTINATION "${dorvane_overrides}"
       ${dorvane_mode})
  file(RENAME "${dorvane_overrides}/lintian-overrides" "${dorvane_overrides}/${CPACK_PACKAGE_NAME}")
elseif(CPACK_GENERATOR STREQUAL "RPM")
  set(dorvane_licenses "${dorvane_usr}/share/licenses/${CPACK_PACKAGE_NAME}")
  file(REMOVE "${dorvane_doc}/copyright" "${dorvane_doc}/changelog.gz")
  file(MAKE_DIRECTORY "${dorvane_licenses}")
  file(RENAME "${dorvane_doc}/NOTICE" "${dorvane_licenses}/NOTICE")
  file(COPY "${dorvane_src}/CHANGELOG.md" DESTINATION "${dorvane_doc}" ${dorvane_mode})
  file(COPY "${dorvane_src}/LICENSE" DESTINATION "${dorvane_licenses}" ${dorvane_mode})
  file(STRINGS "${dorvane_notices}/license" CPACK_RPM_PACKAGE_LICENSE LIMIT_COUNT 1)
  # Provides: bundled(<source>) = <upstream version> of each library whose
  # source the release keeps (Built-Using: the C library), as RPM
  # distributions name a library that a package carries inside.
  file(STRINGS "${dorvane_notices}/debian-fields" dorvane_built_using REGEX "^Built-Using: ")
  string(REGEX MATCHALL "[a-z0-9.+-]+ \\(= ([0-9]+:)?[^-)]+" dorvane_sources "${dorvane_built_using}")
  set(CPACK_RPM_PACKAGE_PROVIDES)
  foreach(dorvane_source IN LISTS dorvane_sources)
    string(REGEX REPLACE "^([^ ]+) \\(= ([0-9]+:)?(.*)$" "bundled(\\1) = \\3" dorvane_source
           "${dorvane_source}")
    list(APPEND CPACK_RPM_PACKAGE_PROVIDES "${dorvane_source}")
  endforeach()
  list(JOIN CPACK_RPM_PACKAGE_PROVIDES ", " CPACK_RPM_PACKAGE_PROVIDES)
  # rpm only clamps dates later than SOURCE_DATE_EPOCH to it: the earlier
  # ones of files from the tree are set to it here.
  execute_process(COMMAND find "${dorvane_usr}" -exec touch -h -d "@$ENV{SOURCE_DATE_EPOCH}" {} +
                  RESULT_VARIABLE dorvane_status)
  if(NOT dorvane_status EQUAL 0)
    message(FATAL_ERROR "could not date the staged files by SOURCE_DATE_EPOCH")
  endif()
endif()
