# Cross build for 64-bit Windows with Debian's mingw-w64 compilers.
#
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
#   cmake --build build-win -j2
#
# The -posix variant of the compiler is used: its C++ library has std::thread
# (winpthreads), and thread_local works with it as with the -win32 variant.
# Everything the compiler's runtime needs is linked statically, so the
# programs and the module depend on system DLLs only.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(PLIX_MINGW_TRIPLET x86_64-w64-mingw32)
find_program(CMAKE_C_COMPILER NAMES ${PLIX_MINGW_TRIPLET}-gcc-posix REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${PLIX_MINGW_TRIPLET}-g++-posix REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${PLIX_MINGW_TRIPLET}-windres)
find_program(CMAKE_AR NAMES ${PLIX_MINGW_TRIPLET}-gcc-ar-posix ${PLIX_MINGW_TRIPLET}-ar)
find_program(CMAKE_RANLIB NAMES ${PLIX_MINGW_TRIPLET}-gcc-ranlib-posix ${PLIX_MINGW_TRIPLET}-ranlib)

# Libraries, headers and packages come from the cross sysroot only; build
# tools come from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${PLIX_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# pkg-config must not hand out the build machine's libraries either.
set(ENV{PKG_CONFIG_LIBDIR} ${CMAKE_FIND_ROOT_PATH}/lib/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")

# Test programs built here run under wine (see cmake/wine-run.sh).
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh ${CMAKE_BINARY_DIR}/wineprefix)
