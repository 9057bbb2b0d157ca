#!/usr/bin/env bash
# Cross-builds zeko.exe with MinGW-w64 into build-win/ (Lua and nettle built
# from Debian's source by scripts/win-lua.sh and scripts/win-nettle.sh) and
# tests it under Wine, headless (no X display: Wine's null graphics driver,
# see below):
#  - every golden case of tests/golden, run by the Linux golden test
#    (tests/golden/golden_test.cpp, built into build-win/host) with Wine as
#    its launcher and "/NOGUI", so that no window and no message box is
#    opened; cases that cannot pass on Windows are listed with their reason
#    in scripts/windows-skip.txt;
#  - "--help", "/?" and "--version", and the progress dialog with Cancel
#    (scripts/wine-dialog.sh);
# then packs build-win/zeko-<version>-win64.zip (scripts/win-zip.sh).
# Extra arguments select golden cases by "target/case" substring and skip
# the rest.
set -euo pipefail
cd "$(dirname "$0")/.."

need=()
# m4: nettle's build runs its assembly sources through it.
for tool in cmake make m4 python3 g++; do
  command -v "$tool" >/dev/null || need+=("$tool")
done
for pkg in g++-mingw-w64-x86-64 libgtest-dev libktoblzcheck1-dev wine wine64 zip unzip; do
  dpkg -s "$pkg" >/dev/null 2>&1 || need+=("$pkg")
done
if ((${#need[@]})); then
  if [ "$(id -u)" != 0 ]; then echo "missing packages: ${need[*]} (run as root)" >&2; exit 1; fi
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

# Lua and nettle for Windows from Debian's source, built once into
# build-win/deps.
./scripts/win-lua.sh build-win/deps
./scripts/win-nettle.sh build-win/deps

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release \
  "${launcher[@]}" >/dev/null
cmake --build build-win -j"$(nproc)"
# The Bundesbank's bank code file that Debian ships, where zeko.exe looks for
# it: in bankdaten\ beside itself (the newest by name, as in the zip).
bank_files=(/usr/share/ktoblzcheck/blz_*.txt)
[ -f "${bank_files[-1]}" ] || { echo "no ${bank_files[-1]}: the package libktoblzcheck1v5 is missing" >&2; exit 1; }
rm -rf build-win/bankdaten && mkdir build-win/bankdaten
cp "${bank_files[-1]}" build-win/bankdaten/
# The golden test that runs the cases, built for this machine.
cmake -S . -B build-win/host -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" >/dev/null
cmake --build build-win/host -j"$(nproc)" --target zeko_golden

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
# No X server: windows go to Wine's null graphics driver, where they exist
# with their controls and messages but are drawn nowhere. The desktop process
# takes its driver when the server starts, so a change restarts the server.
if ! wine reg query 'HKCU\Software\Wine\Drivers' /v Graphics 2>/dev/null | grep null >/dev/null; then
  wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /t REG_SZ /d null /f >/dev/null 2>&1
  wineserver -k >/dev/null 2>&1 || true
  wineserver -p 2>/dev/null || true
fi
wintemp="Z:$(printf '%s' "$work" | tr / '\\')"
for var in TMP TEMP; do
  wine reg add 'HKCU\Environment' /v "$var" /t REG_SZ /d "$wintemp" /f >/dev/null 2>&1
done

status=0
# Extra arguments become a filter of the golden test's case names
# ("target_case", every character but letters and digits turned into "_").
filter="Golden*"
if (($#)); then
  filter=""
  for arg in "$@"; do filter+="${filter:+:}Golden/Golden.Run/*${arg//[^[:alnum:]]/_}*"; done
fi
ZEKO_LAUNCHER=wine ZEKO_EXE=build-win/zeko.exe ZEKO_WORK="$work" ZEKO_SKIP=scripts/windows-skip.txt \
  build-win/host/zeko_golden --gtest_filter="$filter" || status=1
(($#)) && exit $status
./scripts/wine-dialog.sh build-win/zeko.exe build-win/dialog_probe.exe "$work" || status=1
./scripts/win-zip.sh build-win/zeko.exe build-win || status=1
exit $status
