# Windows build logic, used by the mingw-w64 cross build (see
# cmake/mingw-w64-x86_64.cmake). Included from the top-level CMakeLists.txt
# before any target is defined.
#
# - Every program and module links the compiler's runtime statically, so what
#   we ship needs only DLLs that every Windows system has.
# - The sandbox's header-only dependencies (CLI11, nlohmann-json) and
#   tinyobjloader come from the build machine's Debian packages: only their own
#   header directories are exposed to the cross compiler, never the whole of
#   /usr/include, and tinyobjloader's implementation is compiled here.
# - GoogleTest is built from Debian's sources (/usr/src/googletest) so that
#   the unit tests run under wine too.
# find_package() calls for these names are answered from the build tree
# (CMAKE_FIND_PACKAGE_REDIRECTS_DIR), so the sandbox's and the tests' own
# CMake code stays the same on both systems.

add_link_options(-static-libgcc -static-libstdc++ -static)

set(PLIX_HOST_INCLUDE_ROOT /usr/include CACHE PATH
  "Where the build machine's Debian packages put CLI11, nlohmann-json and tinyobjloader")
set(PLIX_WIN_HEADERS ${CMAKE_BINARY_DIR}/host-headers)
file(MAKE_DIRECTORY ${PLIX_WIN_HEADERS})

# Answers find_package(<name>) with targets defined here.
function(plix_redirect_package name)
  string(TOLOWER ${name} lower)
  file(WRITE ${CMAKE_FIND_PACKAGE_REDIRECTS_DIR}/${lower}-config.cmake
    "# Provided by cmake/PlixWindows.cmake for the Windows cross build.\nset(${name}_FOUND TRUE)\n")
  file(WRITE ${CMAKE_FIND_PACKAGE_REDIRECTS_DIR}/${lower}-config-version.cmake
    "set(PACKAGE_VERSION 0)\nset(PACKAGE_VERSION_COMPATIBLE TRUE)\n")
endfunction()

# Exposes one header or header directory of the build machine's packages.
function(plix_stage_host_header path)
  if(NOT EXISTS ${PLIX_HOST_INCLUDE_ROOT}/${path})
    message(FATAL_ERROR "${PLIX_HOST_INCLUDE_ROOT}/${path} not found: install the Debian package that ships it")
  endif()
  if(NOT EXISTS ${PLIX_WIN_HEADERS}/${path})
    file(CREATE_LINK ${PLIX_HOST_INCLUDE_ROOT}/${path} ${PLIX_WIN_HEADERS}/${path} SYMBOLIC)
  endif()
endfunction()

# One interface target per header-only package; warnings inside those headers
# are theirs, so they are system headers here as on Linux.
function(plix_header_package package target path)
  plix_stage_host_header(${path})
  string(MAKE_C_IDENTIFIER plix_win_${target} local)
  add_library(${local} INTERFACE)
  target_include_directories(${local} SYSTEM INTERFACE ${PLIX_WIN_HEADERS})
  add_library(${package}::${target} ALIAS ${local})
  plix_redirect_package(${package})
endfunction()

plix_header_package(CLI11 CLI11 CLI)                            # libcli11-dev
plix_header_package(nlohmann_json nlohmann_json nlohmann)        # nlohmann-json3-dev

# tinyobjloader (libtinyobjloader-dev): Debian ships the header and Linux
# shared libraries; the cross build compiles the implementation into a static
# library, in both of the package's flavours (float and double).
plix_stage_host_header(tiny_obj_loader.h)
foreach(flavour tinyobjloader tinyobjloader_double)
  add_library(plix_win_${flavour} STATIC EXCLUDE_FROM_ALL
    ${CMAKE_CURRENT_LIST_DIR}/windows/tinyobjloader_impl.cpp)
  target_include_directories(plix_win_${flavour} SYSTEM PUBLIC ${PLIX_WIN_HEADERS})
  target_compile_options(plix_win_${flavour} PRIVATE -w)
  add_library(tinyobjloader::${flavour} ALIAS plix_win_${flavour})
endforeach()
target_compile_definitions(plix_win_tinyobjloader_double PUBLIC TINYOBJLOADER_USE_DOUBLE)
plix_redirect_package(tinyobjloader)

# GoogleTest, built for Windows from Debian's sources.
if(PLIX_BUILD_TESTS)
  set(PLIX_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources (Debian package googletest)")
  if(NOT EXISTS ${PLIX_GOOGLETEST_SOURCE}/CMakeLists.txt)
    message(FATAL_ERROR "GoogleTest sources not found in ${PLIX_GOOGLETEST_SOURCE}: apt-get install googletest, or -DPLIX_BUILD_TESTS=OFF")
  endif()
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
  add_subdirectory(${PLIX_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  foreach(lib gtest gtest_main gmock gmock_main)
    target_compile_options(${lib} PRIVATE -w)
    if(NOT TARGET GTest::${lib})
      add_library(GTest::${lib} ALIAS ${lib})
    endif()
  endforeach()
  plix_redirect_package(GTest)
  plix_redirect_package(GMock)
endif()

# pkg-config and the build machine's libraries are out of reach (see the
# toolchain file), so optional parts that need them (libgd for the preview
# images) are left out of the Windows build by their own checks.
