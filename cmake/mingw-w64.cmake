# Cross-build of zeko.exe with Debian's MinGW-w64 toolchain
# (g++-mingw-w64-x86-64):
#   scripts/win-lua.sh build-win/deps
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
# The first line builds Lua for Windows from Debian's source into the prefix
# build-win/deps/lua (another one: -DZEKO_WIN_LUA=<prefix>).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ZEKO_MINGW_PREFIX x86_64-w64-mingw32)
# The POSIX thread model's compiler: its libstdc++ has std::thread and
# std::mutex, and -static links winpthread into the executable.
find_program(CMAKE_CXX_COMPILER NAMES ${ZEKO_MINGW_PREFIX}-g++-posix ${ZEKO_MINGW_PREFIX}-g++ REQUIRED)
find_program(CMAKE_C_COMPILER NAMES ${ZEKO_MINGW_PREFIX}-gcc-posix ${ZEKO_MINGW_PREFIX}-gcc)
find_program(CMAKE_RC_COMPILER NAMES ${ZEKO_MINGW_PREFIX}-windres REQUIRED)

if(NOT ZEKO_WIN_LUA)
  if(DEFINED ENV{ZEKO_WIN_LUA})
    set(ZEKO_WIN_LUA "$ENV{ZEKO_WIN_LUA}")
  else()
    set(ZEKO_WIN_LUA "${CMAKE_BINARY_DIR}/deps/lua")
  endif()
endif()
# try_compile's projects read this file again in a folder of their own:
# they get the prefix through the environment.
set(ENV{ZEKO_WIN_LUA} "${ZEKO_WIN_LUA}")

# Lua's prefix is a find root of its own, so that its library and headers are
# found where they are and not looked for below the MinGW root.
set(CMAKE_FIND_ROOT_PATH /usr/${ZEKO_MINGW_PREFIX} ${ZEKO_WIN_LUA})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config must not hand the host's Linux libraries to the cross-build.
set(ENV{PKG_CONFIG_LIBDIR} "${ZEKO_WIN_LUA}/lib/pkgconfig:/usr/${ZEKO_MINGW_PREFIX}/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
