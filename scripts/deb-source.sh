# Sourced by the scripts that build a library for zeko.exe from Debian's
# source package (win-lua.sh, win-nettle.sh):
#   src="$(deb_source PACKAGE DEPS_DIR)"
# prints the unpacked source DEPS_DIR/src/PACKAGE-*/, fetched with
# "apt-get source" on the first call and kept: later builds need no network.
deb_source() {
  local pkg="$1" deps="$2" src
  find_source() { { find "$deps/src" -mindepth 1 -maxdepth 1 -type d -name "$pkg-*" 2>/dev/null || true; } | sort | tail -1; }
  src="$(find_source)"
  if [ -z "$src" ]; then
    # apt-get source needs a deb-src entry: the machine's own Debian entry
    # with "Types: deb-src" in place of "Types: deb".
    if ! apt-get source --print-uris "$pkg" >/dev/null 2>&1; then
      [ "$(id -u)" = 0 ] || { echo "apt-get source $pkg needs a deb-src entry (run as root once)" >&2; return 1; }
      local main=/etc/apt/sources.list.d/debian.sources
      [ -f "$main" ] || { echo "no $main to copy a deb-src entry from" >&2; return 1; }
      sed 's/^Types: deb$/Types: deb-src/' "$main" > /etc/apt/sources.list.d/debian-src.sources
      apt-get update -qq
    fi
    command -v dpkg-source >/dev/null || DEBIAN_FRONTEND=noninteractive apt-get install -y -qq dpkg-dev >/dev/null
    mkdir -p "$deps/src"
    (cd "$deps/src" && apt-get source -qq "$pkg" >/dev/null)
    src="$(find_source)"
    [ -n "$src" ] || { echo "apt-get source $pkg left no source in $deps/src" >&2; return 1; }
  fi
  printf '%s\n' "$src"
}
