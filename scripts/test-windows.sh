#!/usr/bin/env bash
# Cross-builds zeko.exe with MinGW-w64 into build-win/ and runs every golden
# case of tests/golden against it under Wine, headless (no X display; the
# runs get "/NOGUI", so no window and no message box is ever opened).
# Cases that cannot pass on Windows are listed with their reason in
# scripts/windows-skip.txt. Extra arguments select cases by "target/case"
# substring.
set -euo pipefail
cd "$(dirname "$0")/.."

need=()
for tool in cmake make python3; do
  command -v "$tool" >/dev/null || need+=("$tool")
done
for pkg in g++-mingw-w64-x86-64 wine wine64; do
  dpkg -s "$pkg" >/dev/null 2>&1 || need+=("$pkg")
done
if ((${#need[@]})); then
  if [ "$(id -u)" != 0 ]; then echo "missing packages: ${need[*]} (run as root)" >&2; exit 1; fi
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release \
  "${launcher[@]}" >/dev/null
cmake --build build-win -j"$(nproc)"

# A Wine prefix of its own, without the Mono and Gecko installers (they would
# wait for a display). Its Windows temporary directory is the cases' work
# directory: the converter finds its input file there, as the host system
# leaves it in %TEMP%.
export WINEPREFIX="$PWD/build-win/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree=;mshtml="
unset DISPLAY WAYLAND_DISPLAY
work="$PWD/build-win/wine-work"
mkdir -p "$work" "$WINEPREFIX"
# One server for all the starts below instead of one per start (it is
# already running when an earlier run left it).
wineserver -p 2>/dev/null || true
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wine wineboot --init >/dev/null 2>&1
fi
wintemp="Z:$(printf '%s' "$work" | tr / '\\')"
for var in TMP TEMP; do
  wine reg add 'HKCU\Environment' /v "$var" /t REG_SZ /d "$wintemp" /f >/dev/null 2>&1
done

python3 scripts/wine_golden.py build-win/zeko.exe "$work" --skip scripts/windows-skip.txt "$@"
