# Cross-compiles for 64-bit Windows with Debian's mingw-w64 (g++-mingw-w64-x86-64):
#   cmake -S . -B build-win -G Ninja \
#     -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DDORVANE_TESTS=OFF
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(DORVANE_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${DORVANE_MINGW_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${DORVANE_MINGW_TRIPLE}-g++)
set(CMAKE_RC_COMPILER ${DORVANE_MINGW_TRIPLE}-windres)

set(DORVANE_CROSS_ROOT /usr/${DORVANE_MINGW_TRIPLE})
include(${CMAKE_CURRENT_LIST_DIR}/cross-root.cmake)
