# The static Linux program for 32-bit ARM with hardware floating point
# (armhf, ARMv7), built with Debian's
# g++-arm-linux-gnueabihf. See linux-gnu.cmake.
set(CMAKE_SYSTEM_PROCESSOR arm)
set(DORVANE_LINUX_TRIPLE arm-linux-gnueabihf)
set(DORVANE_QEMU_CPU arm)  # qemu-user's name of the processor
include(${CMAKE_CURRENT_LIST_DIR}/linux-gnu.cmake)
