#!/usr/bin/env bash
# Takes a picture of zeko.exe's progress dialog half-way through a large
# PCREWE conversion with presort: Wine on a virtual X display (Xvfb),
# captured with ImageMagick's import into docs/dialog.png. Needs the
# cross-build and the Wine prefix that scripts/test-windows.sh makes.
set -euo pipefail
cd "$(dirname "$0")/.."

need=()
for pkg in xvfb imagemagick x11-utils x11-xserver-utils fonts-wine; do
  dpkg -s "$pkg" >/dev/null 2>&1 || need+=("$pkg")
done
if ((${#need[@]})); then
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi
[ -x build-win/zeko.exe ] || { echo "build-win/zeko.exe missing: run scripts/test-windows.sh first" >&2; exit 1; }

export WINEPREFIX="$PWD/build-win/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree=;mshtml="
work="$PWD/build-win/wine-work"  # the prefix's %TEMP% (test-windows.sh)
rm -rf "${work:?}"/* && mkdir -p "$work"
# Wine's own "MS Sans Serif" (fonts-wine), which this Wine finds only in the
# prefix's font folder; without it the dialog would get a wider font.
cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"

# 300000 bookings from the PCREWE sample, presorted by account (field 110)
# in groups of ten (each closed by a record with field 998).
python3 - "$work" <<'EOF'
import sys
src = open('examples/pcrewe/SAMPLE.$TM', 'rb').read()
lines = [l for l in src.split(b'\r\n') if l]
with open(sys.argv[1] + '/BIG.$TM', 'wb') as f:
    for i in range(300000):
        f.write(lines[i % 3] + (b'998001000E' if i % 10 == 9 else b'') + b'\r\n')
EOF
cp examples/pcrewe/fibconf "$work/fibconf"
printf 'PRESORT=110\r\n' >> "$work/fibconf"
exe="$PWD/build-win/zeko.exe"
# A run without a window first tells how large the output grows.
(cd "$work" && wine "$exe" /CONFIG:fibconf /TEMP:BIG /ND /NOGUI >/dev/null 2>&1)
# The writer works on a file of its own next to the output until Close.
written() { find "$work" -maxdepth 1 -name 'REWEFIBU.TXT*' -printf '%s\n' | awk '{s += $1} END {print s + 0}'; }
half=$(($(written) / 2))
rm -f "$work"/REWEFIBU.TXT*

display=:47
Xvfb "$display" -screen 0 640x400x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true; wineserver -k >/dev/null 2>&1 || true' EXIT
export DISPLAY=$display
sleep 2
# Drawn on the virtual display (scripts/test-windows.sh leaves the prefix on
# the null driver, which draws nowhere); the desktop process takes its
# driver when the server starts.
wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /t REG_SZ /d x11 /f >/dev/null 2>&1
wineserver -k >/dev/null 2>&1 || true
# No window manager on the virtual display: Wine draws the caption and frame.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null 2>&1
xsetroot -solid '#3a6ea5' 2>/dev/null || true

(cd "$work" && wine "$exe" /CONFIG:fibconf /TEMP:BIG) &
run=$!
# Wait until half of the output is written.
for _ in $(seq 1 600); do
  [ "$(written)" -gt "$half" ] && break
  sleep 0.05
done
# Hold the converter still while the picture is taken.
pid=$(pgrep -f 'zeko.exe /CONFIG:fibconf /TEMP:BIG' | head -1 || true)
[ -n "$pid" ] && kill -STOP "$pid"
sleep 0.3
mkdir -p docs
import -window root docs/dialog-full.png
[ -n "$pid" ] && kill -CONT "$pid"
wait "$run" || true
# Just the dialog and a little of the desktop around it.
convert docs/dialog-full.png -trim +repage -bordercolor '#3a6ea5' -border 12 docs/dialog.png
rm -f docs/dialog-full.png
echo "docs/dialog.png: $(identify -format '%wx%h' docs/dialog.png)"
