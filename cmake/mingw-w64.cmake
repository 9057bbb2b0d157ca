# Cross-build of zeko.exe with Debian's MinGW-w64 toolchain
# (g++-mingw-w64-x86-64):
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ZEKO_MINGW_PREFIX x86_64-w64-mingw32)
# The POSIX thread model's compiler: its libstdc++ has std::thread and
# std::mutex, and -static links winpthread into the executable.
find_program(CMAKE_CXX_COMPILER NAMES ${ZEKO_MINGW_PREFIX}-g++-posix ${ZEKO_MINGW_PREFIX}-g++ REQUIRED)
find_program(CMAKE_C_COMPILER NAMES ${ZEKO_MINGW_PREFIX}-gcc-posix ${ZEKO_MINGW_PREFIX}-gcc)
find_program(CMAKE_RC_COMPILER NAMES ${ZEKO_MINGW_PREFIX}-windres REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${ZEKO_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config must not hand the host's Linux libraries to the cross-build.
set(ENV{PKG_CONFIG_LIBDIR} /usr/${ZEKO_MINGW_PREFIX}/lib/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
