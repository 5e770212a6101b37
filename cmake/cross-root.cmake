# Included by the toolchain files, after they set DORVANE_CROSS_ROOT: headers
# and libraries come from the cross compiler's own tree only, programs from
# the host. GoogleTest is not built for the target: a cross-built program is
# tested end to end (under Wine or qemu-user), with the test programs built
# for the host.
set(CMAKE_FIND_ROOT_PATH ${DORVANE_CROSS_ROOT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(DORVANE_TESTS OFF CACHE BOOL "Build the tests")
