# Cross-compiles a self-contained Linux program with one of Debian's cross
# compilers (g++-<triple>). Included by the toolchain files linux-*.cmake,
# which set DORVANE_LINUX_TRIPLE and CMAKE_SYSTEM_PROCESSOR first:
#   cmake -S . -B build-linux/aarch64 -G Ninja \
#     -DCMAKE_TOOLCHAIN_FILE=cmake/linux-aarch64.cmake -DDORVANE_TESTS=OFF
# The program is linked statically, C library included (DORVANE_STATIC), so
# that it runs on any Linux of its architecture; qemu-user runs it here.
set(CMAKE_SYSTEM_NAME Linux)

set(CMAKE_C_COMPILER ${DORVANE_LINUX_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${DORVANE_LINUX_TRIPLE}-g++)

# Headers and libraries come from the cross compiler's own tree only;
# programs from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${DORVANE_LINUX_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(DORVANE_STATIC ON CACHE BOOL "Link the Linux program statically")
# GoogleTest is not built for the target here: the cross-built program is
# tested end to end under qemu-user, with the test programs built for the host.
set(DORVANE_TESTS OFF CACHE BOOL "Build the tests")
