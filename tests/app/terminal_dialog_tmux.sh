#!/usr/bin/env bash
# The terminal dialog as a person sees it: zeko runs in a tmux window of
# 80 x 24 and the screen is read with capture-pane. The first run waits for
# an output that another run holds, then counts, and Esc cancels it: it
# fails and leaves every file as it was. The second run converts the same
# input to the end.
#   terminal_dialog_tmux.sh ZEKO
# A run takes well under a second, too short to be caught reliably between
# two captures: each run starts stopped and goes on in steps of 10 ms, each
# followed by a capture of the screen while the run stands still.
set -euo pipefail
zeko="$(realpath "$1")"
command -v tmux >/dev/null || { echo "tmux is missing (apt-get install tmux)" >&2; exit 1; }
work="$(mktemp -d)"
# A server of its own, its socket in the work directory: no other tmux and no
# clean-up of /tmp can take it away while the test reads the screen.
tmx() { env -u TMUX tmux -S "$work/tmux" "$@"; }
pid=""
holder=""
# On the way out the server hangs up on the pane; a run that stands stopped
# gets the hang-up once it is continued.
trap 'set +e; [ -z "$holder" ] || kill "$holder" 2>/dev/null; tmx kill-server 2>/dev/null
      for p in "$pid" "$(cat "$work/pid" 2>/dev/null)"; do [ -z "$p" ] || kill -CONT "$p" 2>/dev/null; done
      rm -rf "$work"' EXIT
records=300000
printf 'TYP=DATAX\nPATH=\nNAME1=DATAX.DAT\n' > "$work/fibconf"
printf 'EARLIER RUN\r\n' > "$work/DATAX.DAT"
python3 "$(dirname "$0")/../support/make_bookings.py" "$work/INPUT.\$TM" "$records"
input_sum="$(md5sum < "$work/INPUT.\$TM")"

screen=""
fail() {
  echo "FAIL: $1" >&2
  echo "--- screen:" >&2
  printf '%s\n' "$screen" >&2
  exit 1
}
capture() { screen="$(tmx capture-pane -p -t zeko 2>&1)"; }
# The whole dialog at the bottom of the screen, below the output above it.
expected=(
  "^== Q\.V\.T-System 08/4 FIBU-Konverter ==$"
  "^  Übernahme in Datei : +Rechnungsausgang *$"
  "^  Pfad : +DATAX\.DAT *$"
  "^  Anzahl Sätze +[1-9][0-9]* *$"
  "^  Vorsortierung +\[\.+\] +0 %$"
  "^  Übernahme +\[#*\.*\] +[0-9]+ %$"
  "^  \[ Abbrechen \]  Esc oder Strg\+C *$"
)
dialog_shown() {
  local line
  for line in "${expected[@]}"; do grep -Eq "$line" <<<"$screen" || return 1; done
}
waiting_shown() { grep -Eq "warte auf Freigabe: .*DATAX\.DAT" <<<"$screen"; }
# step_until CHECK [PAUSE]: lets the run go on 10 ms at a time, after PAUSE
# seconds, until CHECK holds.
step_until() {
  for ((i = 0; i < 3000; i++)); do
    kill -0 "$pid" 2>/dev/null || fail "the run ended before $1"
    sleep "${2:-0}"
    kill -CONT "$pid"
    sleep 0.01
    kill -STOP "$pid" 2>/dev/null || true
    capture
    "$1" && return 0
  done
  fail "never $1"
}
# next_run: the number of the next run once it has stopped itself.
next_run() {
  for ((i = 0; i < 600; i++)); do
    [ -s "$work/pid" ] && { pid="$(cat "$work/pid")"; rm "$work/pid"; return 0; }
    sleep 0.05
  done
  fail "no run started"
}
# wait_exit RUN CODE: until the pane shows the exit code of run RUN.
wait_exit() {
  for ((i = 0; i < 2400; i++)); do
    capture
    grep -q "^RUN$1=" <<<"$screen" && break
    sleep 0.05
  done
  grep -q "^RUN$1=$2$" <<<"$screen" || fail "run $1 did not end with exit code $2"
  if grep -Eq "FIBU-Konverter|Anzahl Sätze|Abbrechen" <<<"$screen"; then fail "dialog left on the screen"; fi
}

cat > "$work/run.sh" <<EOF
echo \$\$ > pid.new && mv pid.new pid
kill -STOP \$\$
exec env TMPDIR='$work' TERM=xterm '$zeko' /CONFIG:fibconf /TEMP:INPUT
EOF
# Another run holds the output.
(exec 9>"$work/DATAX.DAT.\$JN" && flock 9 && exec sleep 600) &
holder=$!
until ! flock -n "$work/DATAX.DAT.\$JN" true; do sleep 0.05; done
# Under load the server may come up slowly or not at all: it must answer
# within five seconds, else it is started afresh, three times at most.
for attempt in 1 2 3 fail; do
  [ "$attempt" != fail ] || fail "the tmux server did not start"
  tmx -f /dev/null new-session -d -s zeko -x 80 -y 24 \
    "cd '$work' && sh run.sh; echo \"RUN1=\$?\"; sh run.sh; echo \"RUN2=\$?\"; sleep 60" || true
  for ((i = 0; i < 100; i++)); do
    tmx has-session -t zeko 2>/dev/null && break 2
    sleep 0.05
  done
  tmx kill-server 2>/dev/null || true
done

next_run
step_until waiting_shown
kill "$holder"
step_until dialog_shown
bottom="$(grep -n 'Esc oder Strg' <<<"$screen" | cut -d: -f1)"
[ "$bottom" -ge 20 ] || fail "dialog not at the bottom (line $bottom)"
# The dialog reads its keys when it draws, at most every 50 ms: a pause of
# 60 ms before each step makes it read them as soon as the run goes on.
tmx send-keys -t zeko Escape
for ((i = 0; i < 100; i++)); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.06
  kill -CONT "$pid"
  sleep 0.01
  kill -STOP "$pid" 2>/dev/null || true
done
kill -CONT "$pid" 2>/dev/null || true
wait_exit 1 1
grep -q "^Übernahme abgebrochen$" <<<"$screen" || fail "no message of the cancel"
[ "$(cat "$work/DATAX.DAT")" = $'EARLIER RUN\r' ] || fail "DATAX.DAT changed by the cancelled run"
[ "$(md5sum < "$work/INPUT.\$TM")" = "$input_sum" ] || fail "input changed by the cancelled run"
left="$(cd "$work" && ls -A | grep -Ev '^(fibconf|DATAX\.DAT|DATAX\.DAT\.\$JN|INPUT\.\$TM|ZEKO\.LOG|run\.sh|tmux|pid)$' || true)"
[ -z "$left" ] || fail "left behind: $left"
# The run protocol keeps the cancelled run: one entry, nothing booked.
[ "$(grep -c '"result":"cancelled"' "$work/ZEKO.LOG" 2>/dev/null)" = 1 ] ||
  fail "the protocol does not hold the cancelled run once"

next_run
kill -CONT "$pid"
wait_exit 2 0
size=$(stat -c %s "$work/DATAX.DAT")
[ "$size" = $((13 + records * 180)) ] || fail "DATAX.DAT has $size bytes"
echo "terminal dialog under tmux: ok"
