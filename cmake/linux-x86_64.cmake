# The static Linux program for x86-64 (amd64), built with Debian's
# g++ (x86_64-linux-gnu-g++). See linux-gnu.cmake.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(DORVANE_LINUX_TRIPLE x86_64-linux-gnu)
include(${CMAKE_CURRENT_LIST_DIR}/linux-gnu.cmake)
