# Cross-compiles for 64-bit Windows with Debian's mingw-w64 (g++-mingw-w64-x86-64):
#   cmake -S . -B build-win -G Ninja \
#     -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DDORVANE_TESTS=OFF
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(DORVANE_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${DORVANE_MINGW_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${DORVANE_MINGW_TRIPLE}-g++)
set(CMAKE_RC_COMPILER ${DORVANE_MINGW_TRIPLE}-windres)

# Headers and libraries come from the mingw sysroot only; programs from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${DORVANE_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# GoogleTest is not built for Windows here: the Windows build is tested end to
# end under Wine, with the test programs built for the host.
set(DORVANE_TESTS OFF CACHE BOOL "Build the tests")
