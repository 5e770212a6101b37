# The static Linux program for 64-bit ARM (arm64, aarch64), built with Debian's
# g++-aarch64-linux-gnu. See linux-gnu.cmake.
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(DORVANE_LINUX_TRIPLE aarch64-linux-gnu)
set(DORVANE_QEMU_CPU aarch64)  # qemu-user's name of the processor
include(${CMAKE_CURRENT_LIST_DIR}/linux-gnu.cmake)
