# Cross-compiling for 64-bit Windows with Debian's mingw-w64 (posix thread model).
#
# QVRX_DEPS_PREFIX (cache variable, or environment variable of the same name) may
# name the prefix that scripts/deps fills with static libraries. It is searched
# before the mingw-w64 sysroot for libraries, headers, CMake packages and
# pkg-config modules.

set(CMAKE_SYSTEM_NAME Windows)
# libpng and others compare against "x86_64" (not "AMD64") to enable SIMD code.
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QVRX_MINGW_TRIPLET x86_64-w64-mingw32)
set(QVRX_MINGW_SYSROOT /usr/${QVRX_MINGW_TRIPLET})

set(CMAKE_C_COMPILER ${QVRX_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QVRX_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${QVRX_MINGW_TRIPLET}-windres)

if(NOT QVRX_DEPS_PREFIX AND DEFINED ENV{QVRX_DEPS_PREFIX})
  set(QVRX_DEPS_PREFIX "$ENV{QVRX_DEPS_PREFIX}")
endif()
set(QVRX_DEPS_PREFIX "${QVRX_DEPS_PREFIX}" CACHE PATH
    "Prefix holding the cross-built dependency libraries (empty: none)")
# try_compile() projects read this file again without the cache: pass the prefix on.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES QVRX_DEPS_PREFIX)

set(CMAKE_FIND_ROOT_PATH ${QVRX_MINGW_SYSROOT})
set(QVRX_PKG_CONFIG_LIBDIR ${QVRX_MINGW_SYSROOT}/lib/pkgconfig)
if(QVRX_DEPS_PREFIX)
  list(PREPEND CMAKE_FIND_ROOT_PATH "${QVRX_DEPS_PREFIX}")
  set(QVRX_PKG_CONFIG_LIBDIR "${QVRX_DEPS_PREFIX}/lib/pkgconfig:${QVRX_PKG_CONFIG_LIBDIR}")
endif()

# Tools that run during the build (nasm, generators) come from the build machine;
# everything linked into the Windows binaries comes from the target roots only.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

find_program(PKG_CONFIG_EXECUTABLE NAMES ${QVRX_MINGW_TRIPLET}-pkg-config)
# The cross wrapper takes PKG_CONFIG_LIBDIR as given, so no build-machine module
# can leak in; PKG_CONFIG_PATH would be searched first, so drop it.
set(ENV{PKG_CONFIG_LIBDIR} "${QVRX_PKG_CONFIG_LIBDIR}")
unset(ENV{PKG_CONFIG_PATH})
