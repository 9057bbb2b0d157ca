# Cross-build of zeko.exe with Debian's MinGW-w64 toolchain
# (g++-mingw-w64-x86-64):
#   scripts/win-lua.sh build-win/deps
#   scripts/win-nettle.sh build-win/deps
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
# The first lines build Lua and nettle for Windows from Debian's source into
# the prefixes build-win/deps/lua and build-win/deps/nettle (others:
# -DZEKO_WIN_LUA=<prefix>, -DZEKO_WIN_NETTLE=<prefix>).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ZEKO_MINGW_PREFIX x86_64-w64-mingw32)
# The POSIX thread model's compiler: its libstdc++ has std::thread and
# std::mutex, and -static links winpthread into the executable.
find_program(CMAKE_CXX_COMPILER NAMES ${ZEKO_MINGW_PREFIX}-g++-posix ${ZEKO_MINGW_PREFIX}-g++ REQUIRED)
find_program(CMAKE_C_COMPILER NAMES ${ZEKO_MINGW_PREFIX}-gcc-posix ${ZEKO_MINGW_PREFIX}-gcc)
find_program(CMAKE_RC_COMPILER NAMES ${ZEKO_MINGW_PREFIX}-windres REQUIRED)

# Each prefix ZEKO_WIN_<NAME> defaults to build-win/deps/<name>.
foreach(dep LUA NETTLE)
  string(TOLOWER ${dep} name)
  if(NOT ZEKO_WIN_${dep})
    if(DEFINED ENV{ZEKO_WIN_${dep}})
      set(ZEKO_WIN_${dep} "$ENV{ZEKO_WIN_${dep}}")
    else()
      set(ZEKO_WIN_${dep} "${CMAKE_BINARY_DIR}/deps/${name}")
    endif()
  endif()
  # try_compile's projects read this file again in a folder of their own:
  # they get the prefix through the environment.
  set(ENV{ZEKO_WIN_${dep}} "${ZEKO_WIN_${dep}}")
endforeach()

# The libraries' prefixes are find roots of their own, so that their
# libraries and headers are found where they are and not looked for below
# the MinGW root.
set(CMAKE_FIND_ROOT_PATH /usr/${ZEKO_MINGW_PREFIX} ${ZEKO_WIN_LUA} ${ZEKO_WIN_NETTLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config must not hand the host's Linux libraries to the cross-build.
set(ENV{PKG_CONFIG_LIBDIR}
  "${ZEKO_WIN_LUA}/lib/pkgconfig:${ZEKO_WIN_NETTLE}/lib/pkgconfig:/usr/${ZEKO_MINGW_PREFIX}/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
