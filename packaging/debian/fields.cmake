# Run by cpack after it has made the .deb (CPACK_POST_BUILD_SCRIPTS, set in
# cpack-project.cmake): adds the control fields that CPack cannot write,
# Built-Using and Static-Built-Using (build/notices/debian-fields, which
# packaging/components made from the link), to the .deb. dpkg-deb unpacks
# it whole and packs it again, owned by root, every member dated as CPack
# dated it and the archive by SOURCE_DATE_EPOCH, so that the result is as
# reproducible as CPack's.
file(READ "${CPACK_DORVANE_NOTICES}/debian-fields" dorvane_fields)
foreach(dorvane_deb IN LISTS CPACK_PACKAGE_FILES)
  if(NOT dorvane_deb MATCHES "\\.deb$")
    continue()
  endif()
  set(dorvane_tree "${dorvane_deb}.tree")
  file(REMOVE_RECURSE "${dorvane_tree}")
  execute_process(COMMAND dpkg-deb -R "${dorvane_deb}" "${dorvane_tree}" RESULT_VARIABLE dorvane_status)
  if(NOT dorvane_status EQUAL 0)
    message(FATAL_ERROR "dpkg-deb cannot unpack ${dorvane_deb}")
  endif()
  # The folders dpkg-deb made take the caller's umask: the package's own
  # modes are 0755.
  file(CHMOD "${dorvane_tree}" "${dorvane_tree}/DEBIAN" DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE
       OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  file(READ "${dorvane_tree}/DEBIAN/control" dorvane_control)
  string(REGEX REPLACE "\n+$" "\n" dorvane_control "${dorvane_control}")
  file(WRITE "${dorvane_tree}/DEBIAN/control" "${dorvane_control}${dorvane_fields}")
  execute_process(COMMAND dpkg-deb --root-owner-group -Zgzip -z9 --build "${dorvane_tree}" "${dorvane_deb}"
                  OUTPUT_QUIET RESULT_VARIABLE dorvane_status)
  if(NOT dorvane_status EQUAL 0)
    message(FATAL_ERROR "dpkg-deb cannot pack ${dorvane_deb} again with: ${dorvane_fields}")
  endif()
  file(REMOVE_RECURSE "${dorvane_tree}")
endforeach()
