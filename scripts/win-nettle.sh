#!/usr/bin/env bash
# Builds nettle's symmetric library (SHA-256 for the run protocol) for
# zeko.exe from Debian's source package (nettle, with Debian's patches) as a
# static MinGW-w64 library:
#   scripts/win-nettle.sh DEPS_DIR
# leaves DEPS_DIR/src/nettle-*/ (the unpacked source, fetched once with
# "apt-get source") and the prefix DEPS_DIR/nettle/ with include/nettle/,
# lib/libnettle.a and lib/pkgconfig/nettle.pc, which cmake/mingw-w64.cmake
# finds. Both stay between builds; once the source is there no network is
# needed. Only libnettle: no public-key part (hogweed, GMP), no
# documentation, no tools or tests.
set -euo pipefail
deps="$(mkdir -p "${1:?usage: win-nettle.sh DEPS_DIR}" && cd "$1" && pwd)"
prefix="$deps/nettle"

. "$(dirname "$0")/deb-source.sh"
src="$(deb_source nettle "$deps")"

lib="$prefix/lib/libnettle.a"
if [ -f "$lib" ] && [ "$lib" -nt "$0" ] && [ -z "$(find "$src" -newer "$lib" -print -quit)" ]; then
  exit 0
fi

obj="$deps/nettle-build"
rm -rf "$obj" "$prefix" && mkdir -p "$obj"
(
  cd "$obj"
  "$src/configure" --host=x86_64-w64-mingw32 --prefix="$prefix" --libdir="$prefix/lib" \
    --disable-public-key --disable-openssl --disable-documentation --disable-shared \
    --enable-static >configure.log 2>&1 || { tail -30 configure.log >&2; exit 1; }
  # Two at a time: the machine's cores are shared. Only the top folder's
  # targets: the tools and tests below it are not built.
  make -j2 install-headers install-static install-pkgconfig >make.log 2>&1 || { tail -30 make.log >&2; exit 1; }
)
rm -rf "$obj"
echo "nettle $(sed -n 's/^Version: //p' "$prefix/lib/pkgconfig/nettle.pc") for Windows: $lib"
