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

# The C library of a foreign processor: Debian's own build of it for that
# processor (libc6-dev:<arch>, installed beside this machine's by multiarch:
# headers in /usr/include/<triple> and /usr/include, the library and its
# start files in /usr/lib/<triple>), at the version of this machine's, with
# every security update that it has; not the older copy that the cross
# compiler's own tree (/usr/<triple>) holds. The compiler takes the C++
# headers from its own tree, then its own headers, then the C library's;
# the linker the start files and archives from the C library's folder before
# its own (-B, -L). A toolchain file that sets DORVANE_CROSS_LIBC keeps the
# cross compiler's own C library (s390x, whose multiarch packages Debian's
# security archive does not carry here).
if(DEFINED DORVANE_QEMU_CPU AND NOT DORVANE_CROSS_LIBC)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -dumpversion
                  OUTPUT_VARIABLE dorvane_gcc OUTPUT_STRIP_TRAILING_WHITESPACE)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=include
                  OUTPUT_VARIABLE dorvane_gcc_include OUTPUT_STRIP_TRAILING_WHITESPACE)
  set(dorvane_cxx /usr/${DORVANE_LINUX_TRIPLE}/include/c++/${dorvane_gcc})
  set(dorvane_libc /usr/lib/${DORVANE_LINUX_TRIPLE})
  if(NOT EXISTS ${dorvane_libc}/libc.a OR NOT EXISTS ${dorvane_cxx})
    message(FATAL_ERROR "no ${dorvane_libc}/libc.a or ${dorvane_cxx}: install "
            "libc6-dev:<arch> and g++-${DORVANE_LINUX_TRIPLE} (scripts/install-deps --all)")
  endif()
  string(JOIN " " dorvane_includes -nostdinc -isystem ${dorvane_cxx}
         -isystem ${dorvane_cxx}/${DORVANE_LINUX_TRIPLE} -isystem ${dorvane_cxx}/backward
         -isystem ${dorvane_gcc_include} -isystem /usr/include/${DORVANE_LINUX_TRIPLE}
         -isystem /usr/include)
  set(CMAKE_C_FLAGS_INIT "${dorvane_includes}")
  set(CMAKE_CXX_FLAGS_INIT "${dorvane_includes}")
  set(CMAKE_EXE_LINKER_FLAGS_INIT "-B${dorvane_libc}/ -L${dorvane_libc}")
endif()
# The test programs of a foreign processor (-DDORVANE_TESTS=ON) run under
# qemu-user with the shared C library they were linked with: Debian's own for
# that processor, installed under / by multiarch (with libstdc++6:<arch>), or
# the one of the cross compiler's tree. A C library of another build than the
# one linked can fail them: threads do not start.
if(DEFINED DORVANE_QEMU_CPU AND NOT DORVANE_CROSS_LIBC)
  set(CMAKE_CROSSCOMPILING_EMULATOR qemu-${DORVANE_QEMU_CPU} -L /)
elseif(DEFINED DORVANE_QEMU_CPU)
  set(CMAKE_CROSSCOMPILING_EMULATOR qemu-${DORVANE_QEMU_CPU} -L /usr/${DORVANE_LINUX_TRIPLE})
endif()
set(DORVANE_CROSS_ROOT /usr/${DORVANE_LINUX_TRIPLE})
include(${CMAKE_CURRENT_LIST_DIR}/cross-root.cmake)
