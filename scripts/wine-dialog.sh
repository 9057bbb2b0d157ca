#!/usr/bin/env bash
# Checks zeko.exe under Wine where a user meets it outside a conversion:
#   scripts/wine-dialog.sh ZEKO_EXE DIALOG_PROBE_EXE WORK_DIR
# - "--help", "/?" and "--version" answer with exit code 0 and touch no file
#   in WORK_DIR (the prefix's temporary directory);
# - the progress dialog of a large DATAX run, read from outside by the probe
#   (tests/win32/dialog_probe.c), which then presses "Abbrechen". A cancelled
#   run fails: exit code 1, every output as before the run, the input kept.
# Needs the Wine prefix of scripts/test-windows.sh (WINEPREFIX and the null
# graphics driver).
set -uo pipefail
exe="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
probe="$(cd "$(dirname "$2")" && pwd)/$(basename "$2")"
work="$3"
mkdir -p "$work"
passed=0
failed=0
report() {  # report NAME STATUS
  if [ "$2" = 0 ]; then
    echo "[      OK ] $1"
    passed=$((passed + 1))
  else
    echo "[  FAILED ] $1"
    failed=$((failed + 1))
  fi
}

# answers WORD START: zeko.exe WORD prints text beginning with START, exits 0
# and leaves WORK_DIR as it was.
answers() {
  local out rc=0 before after
  before=$(ls -A "$work" | sort)
  out=$(cd "$work" && timeout 120 wine "$exe" "$1" 2>&1) || rc=$?
  after=$(ls -A "$work" | sort)
  [ "$rc" = 0 ] || { echo "    exit code $rc"; return 1; }
  [[ "$out" == "$2"* ]] || { echo "    printed: ${out:0:200}"; return 1; }
  [ "$before" = "$after" ] || { echo "    the work directory changed"; return 1; }
}
for word in --help "/?"; do
  answers "$word" "Aufruf: zeko /CONFIG:"
  report "zeko.exe $word" $?
done
answers --version "zeko "
report "zeko.exe --version" $?

# 2000000 bookings (about 200 MB): the run takes seconds, so that the probe
# sees it counting and Cancel lands in the middle.
dir="$work/dialog"
records=2000000
rm -rf "$dir" && mkdir -p "$dir"
printf 'TYP=DATAX\r\nPATH=\r\nNAME1=DATAX.DAT\r\n' > "$dir/fibconf"
printf 'EARLIER RUN\r\n' > "$dir/DATAX.DAT"
python3 "$(dirname "$0")/../tests/support/make_bookings.py" "$dir/INPUT.\$TM" "$records"
timeout 300 wine "$probe" "$(winepath -w "$exe")" "$(winepath -w "$dir")" "$records" 2>&1 | sed 's/^/    /'
report "progress dialog and Cancel" "${PIPESTATUS[0]}"
rm -rf "$dir"

echo "windows checks: $passed passed, $failed failed"
((failed == 0))
