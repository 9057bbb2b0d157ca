#!/usr/bin/env bash
# Builds Lua 5.4 for zeko.exe from Debian's source package (lua5.4, with
# Debian's patches) as a static MinGW-w64 library:
#   scripts/win-lua.sh DEPS_DIR
# leaves DEPS_DIR/src/lua5.4-*/ (the unpacked source, fetched once with
# "apt-get source") and the prefix DEPS_DIR/lua/ with include/, lib/liblua.a
# and lib/pkgconfig/lua5.4.pc, which cmake/mingw-w64.cmake finds. Both stay
# between builds; once the source is there no network is needed.
set -euo pipefail
deps="$(mkdir -p "${1:?usage: win-lua.sh DEPS_DIR}" && cd "$1" && pwd)"
cc=x86_64-w64-mingw32-gcc
ar=x86_64-w64-mingw32-ar
prefix="$deps/lua"

. "$(dirname "$0")/deb-source.sh"
src="$(deb_source lua5.4 "$deps")"

lib="$prefix/lib/liblua.a"
# The core and the standard libraries: everything in src/ but the two
# programs (lua, luac).
mapfile -t sources < <(find "$src/src" -maxdepth 1 -name '*.c' ! -name lua.c ! -name luac.c | sort)
newest=$(ls -t "${sources[@]}" "$0" | head -1)
if [ -f "$lib" ] && [ "$lib" -nt "$newest" ]; then exit 0; fi

obj="$deps/obj"
rm -rf "$obj" "$prefix" && mkdir -p "$obj" "$prefix/include" "$prefix/lib/pkgconfig"
version=$(sed -n 's/^#define LUA_VERSION_MAJOR\s*"\(.*\)"/\1/p; s/^#define LUA_VERSION_MINOR\s*"\(.*\)"/.\1/p; s/^#define LUA_VERSION_RELEASE\s*"\(.*\)"/.\1/p' \
  "$src/src/lua.h" | tr -d '\n')
# Two at a time: the machine's cores are shared.
printf '%s\n' "${sources[@]}" | xargs -P 2 -I{} sh -c \
  "$cc -O2 -std=gnu99 -Wall -DLUA_COMPAT_5_3 -c '{}' -o '$obj'/\$(basename '{}' .c).o"
"$ar" rcs "$lib" "$obj"/*.o
cp "$src/src/lua.h" "$src/src/luaconf.h" "$src/src/lualib.h" "$src/src/lauxlib.h" "$src/src/lua.hpp" \
  "$prefix/include/"
cat > "$prefix/lib/pkgconfig/lua5.4.pc" <<EOF
prefix=$prefix
includedir=\${prefix}/include
libdir=\${prefix}/lib

Name: Lua
Description: Lua $version from Debian's source package, static, for MinGW-w64
Version: $version
Cflags: -I\${includedir}
Libs: -L\${libdir} -llua
EOF
rm -rf "$obj"
echo "Lua $version for Windows: $lib"
