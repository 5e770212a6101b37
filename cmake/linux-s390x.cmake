# The static Linux program for big-endian s390x (built and tested,
# not shipped, so not packed), built with Debian's
# g++-s390x-linux-gnu and its own C library. See linux-gnu.cmake.
set(CMAKE_SYSTEM_PROCESSOR s390x)
set(DORVANE_LINUX_TRIPLE s390x-linux-gnu)
set(DORVANE_QEMU_CPU s390x)  # qemu-user's name of the processor
set(DORVANE_CROSS_LIBC ON)
set(DORVANE_PACKAGING OFF CACHE BOOL "Install rules, notices and packages (packaging/)")
include(${CMAKE_CURRENT_LIST_DIR}/linux-gnu.cmake)
