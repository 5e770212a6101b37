# The time, in seconds since 1970, that dates what a build packs
# (SOURCE_DATE_EPOCH): the variable itself when it is set, else the time of
# the last commit. In a source tarball made by `git archive`, that time is in
# cmake/source-date-epoch.txt (export-subst in .gitattributes); in a git
# checkout, git gives it.
#
#   include(source-date-epoch.cmake)
#   dorvane_source_date_epoch(<source dir> <out variable>)
#   cmake -DSOURCE_DIR=<source dir> -P source-date-epoch.cmake   # prints it
function(dorvane_source_date_epoch source_dir out)
  set(epoch "$ENV{SOURCE_DATE_EPOCH}")
  if(epoch STREQUAL "")
    file(STRINGS "${source_dir}/cmake/source-date-epoch.txt" epoch LIMIT_COUNT 1)
  endif()
  if(NOT epoch MATCHES "^[0-9]+$")
    execute_process(COMMAND git log -1 --format=%ct WORKING_DIRECTORY "${source_dir}"
                    OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  endif()
  if(NOT epoch MATCHES "^[0-9]+$")
    message(FATAL_ERROR "SOURCE_DATE_EPOCH is not set and ${source_dir} has no commit to take "
                        "it from; set it to the release's time in seconds since 1970")
  endif()
  set(${out} "${epoch}" PARENT_SCOPE)
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  dorvane_source_date_epoch("${SOURCE_DIR}" epoch)
  execute_process(COMMAND ${CMAKE_COMMAND} -E echo "${epoch}")
endif()
