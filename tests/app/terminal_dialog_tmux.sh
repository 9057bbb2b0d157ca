#!/usr/bin/env bash
# The terminal dialog as a person sees it: zeko runs in a tmux window of
# 80 x 24, the screen is read with capture-pane while the run counts and
# again after it has ended.
#   terminal_dialog_tmux.sh ZEKO
set -euo pipefail
zeko="$1"
command -v tmux >/dev/null || { echo "tmux is missing (apt-get install tmux)" >&2; exit 1; }
work="$(mktemp -d)"
server="zeko-dialog-$$"
trap 'tmux -L "$server" kill-server 2>/dev/null || true; rm -rf "$work"' EXIT
records=300000
printf 'TYP=DATAX\nPATH=\nNAME1=DATAX.DAT\n' > "$work/fibconf"
python3 "$(dirname "$0")/../support/make_bookings.py" "$work/INPUT.\$TM" "$records"

fail() {
  echo "FAIL: $1" >&2
  echo "--- screen:" >&2
  printf '%s\n' "$screen" >&2
  exit 1
}
screen=""
capture() { screen="$(tmux -L "$server" capture-pane -p -t zeko)"; }
# wait_for REGEX SECONDS: until the screen matches.
wait_for() {
  local tries=$(($2 * 20))
  for ((i = 0; i < tries; i++)); do
    capture
    grep -Eq "$1" <<<"$screen" && return 0
    sleep 0.05
  done
  return 1
}

tmux -L "$server" -f /dev/null new-session -d -s zeko -x 80 -y 24 \
  "cd '$work' && TMPDIR='$work' TERM=xterm '$zeko' /CONFIG:fibconf /TEMP:INPUT; echo \"EXIT=\$?\"; sleep 60"
wait_for "Anzahl Sätze +[1-9]" 60 || fail "no running count"
# The whole dialog at the bottom of the screen, below the output above it.
expected=(
  "^== Q\.V\.T-System 08/4 FIBU-Konverter ==$"
  "^  Übernahme in Datei : +Rechnungsausgang *$"
  "^  Pfad : +DATAX\.DAT *$"
  "^  Anzahl Sätze +[0-9]+ *$"
  "^  Vorsortierung +\[\.+\] +0 %$"
  "^  Übernahme +\[#*\.*\] +[0-9]+ %$"
  "^  \[ Abbrechen \]  Esc oder Strg\+C *$"
)
for line in "${expected[@]}"; do
  grep -Eq "$line" <<<"$screen" || fail "no line matching $line"
done
bottom="$(grep -n 'Esc oder Strg' <<<"$screen" | cut -d: -f1)"
[ "$bottom" -ge 20 ] || fail "dialog not at the bottom (line $bottom)"

wait_for "^EXIT=" 120 || fail "the run did not end"
grep -q "^EXIT=0$" <<<"$screen" || fail "exit code"
# The dialog's lines are gone again, and the output is complete.
if grep -Eq "FIBU-Konverter|Anzahl Sätze|Abbrechen" <<<"$screen"; then fail "dialog left on the screen"; fi
size=$(stat -c %s "$work/DATAX.DAT")
[ "$size" = $((records * 180)) ] || fail "DATAX.DAT has $size bytes"
echo "terminal dialog under tmux: ok"
