# Cross-compiles a self-contained Linux program with one of Debian's cross
# compilers (g++-<triple>). Included by the toolchain files linux-*.cmake,
# which set DORVANE_LINUX_TRIPLE, CMAKE_SYSTEM_PROCESSOR and, for a foreign
# processor, DORVANE_QEMU_CPU first:
#   cmake -S . -B build-linux/aarch64 -G Ninja \
#     -DCMAKE_TOOLCHAIN_FILE=cmake/linux-aarch64.cmake -DDORVANE_TESTS=OFF
# The program is linked statically, C library included (DORVANE_STATIC), so
# that it runs on any Linux of its architecture; qemu-user runs it here.
set(CMAKE_SYSTEM_NAME Linux)

set(CMAKE_C_COMPILER ${DORVANE_LINUX_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${DORVANE_LINUX_TRIPLE}-g++)

set(DORVANE_STATIC ON CACHE BOOL "Link the Linux program statically")
# The test programs of a foreign processor (-DDORVANE_TESTS=ON) run under
# qemu-user, with the cross compiler's tree as their root for the shared
# libraries they load.
if(DEFINED DORVANE_QEMU_CPU)
  set(CMAKE_CROSSCOMPILING_EMULATOR qemu-${DORVANE_QEMU_CPU} -L /usr/${DORVANE_LINUX_TRIPLE})
endif()
set(DORVANE_CROSS_ROOT /usr/${DORVANE_LINUX_TRIPLE})
include(${CMAKE_CURRENT_LIST_DIR}/cross-root.cmake)
