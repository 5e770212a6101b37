# Run by cpack on the staged Windows program before it is packed
# (CPACK_PRE_BUILD_SCRIPTS, before package-tree.cmake writes the bill of
# materials of the program as signed). With DORVANE_SIGN_CERT and
# DORVANE_SIGN_KEY set (the code-signing certificate and its unencrypted
# private key, PEM files), signs dorvane_oem_tool.exe with Authenticode
# (osslsigncode, SHA-256); DORVANE_SIGN_TIMESTAMP_URL, if set, adds a time
# stamp from that server. Without them the program stays unsigned, and this
# says so.
set(dorvane_cert "$ENV{DORVANE_SIGN_CERT}")
set(dorvane_key "$ENV{DORVANE_SIGN_KEY}")
file(GLOB_RECURSE dorvane_exe "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/dorvane_oem_tool.exe")
list(LENGTH dorvane_exe dorvane_count)
if(NOT dorvane_count EQUAL 1)
  message(FATAL_ERROR "no single dorvane_oem_tool.exe in ${CPACK_TEMPORARY_INSTALL_DIRECTORY}")
endif()
if(dorvane_cert STREQUAL "" AND dorvane_key STREQUAL "")
  message(STATUS "UNSIGNED: dorvane_oem_tool.exe is not signed "
                 "(DORVANE_SIGN_CERT and DORVANE_SIGN_KEY are not set)")
  return()
endif()
if(dorvane_cert STREQUAL "" OR dorvane_key STREQUAL "")
  message(FATAL_ERROR "set both DORVANE_SIGN_CERT and DORVANE_SIGN_KEY to sign, or neither")
endif()
find_program(DORVANE_OSSLSIGNCODE osslsigncode REQUIRED)
set(dorvane_timestamp)
if(NOT "$ENV{DORVANE_SIGN_TIMESTAMP_URL}" STREQUAL "")
  set(dorvane_timestamp -ts "$ENV{DORVANE_SIGN_TIMESTAMP_URL}")
endif()
execute_process(
  COMMAND ${DORVANE_OSSLSIGNCODE} sign -certs "${dorvane_cert}" -key "${dorvane_key}"
          -h sha256 -n dorvane_oem_tool ${dorvane_timestamp}
          -in "${dorvane_exe}" -out "${dorvane_exe}.signed"
  RESULT_VARIABLE dorvane_status)
if(NOT dorvane_status EQUAL 0)
  message(FATAL_ERROR "osslsigncode could not sign ${dorvane_exe}")
endif()
file(RENAME "${dorvane_exe}.signed" "${dorvane_exe}")
message(STATUS "SIGNED: dorvane_oem_tool.exe with ${dorvane_cert}")
