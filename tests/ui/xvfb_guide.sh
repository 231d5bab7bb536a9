#!/usr/bin/env bash
# The desktop program on the example guide on a virtual X display (run under xvfb-run): the
# window opens with the guide's title on its first chapter, the part is drawn, "StartPlay" plays
# to the first stop, "StopAnim" stops, "SetChapter", "StartFastAnim" and "StartBackPlay" play the
# last chapter to its end and back, "CloseKinemo" closes cleanly. The speed limits come from
# the preferences file in the working directory (the slider's lower end makes playback quick).
# usage: xvfb_guide.sh KINEMO KINEMO_TOOL GUIDE
set -euo pipefail
kinemo=$1 tool=$2 guide=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export TMPDIR=$work XDG_RUNTIME_DIR=$work/run QT_QPA_PLATFORM=xcb LC_ALL=C LANG=C
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}
mkdir -m 700 "$XDG_RUNTIME_DIR"
cd "$work"
printf '[Definitions]\nMinAnimationSpeed=4\nMaxAnimationSpeed=40\n' >Preferences.txt
"$kinemo" "$guide" >"$work/out.txt" 2>&1 &
pid=$!
log=$work/kinemo-$(id -u)/Kinemo_Viewer_Log.txt
fail() {
  echo "FAIL: $*"
  cat "$work/out.txt"
  [ -f "$log" ] && cat "$log"
  kill "$pid" 2>/dev/null
  exit 1
}
for _ in $(seq 1 150); do grep -q "loaded $guide" "$log" 2>/dev/null && break; sleep 0.2; done
grep -q "loaded $guide" "$log" || fail "the guide was not read"
title="Brevalonix Kinemo Standard - ${guide%.*}: Disassembly"
windowTitle() { xwininfo -root -tree | grep -o '"Brevalonix Kinemo Standard[^"]*"' | head -1 | tr -d '"'; }
for _ in $(seq 1 50); do [ "$(windowTitle)" = "$title" ] && break; sleep 0.2; done
[ "$(windowTitle)" = "$title" ] || fail "the title reads '$(windowTitle)', not '$title'"

# The 3D view is the right part of the window: a picture of the part has many colours.
shot() { import -window root -crop 600x500+560+80 +repage "$work/$1.png"; }
same() { [ "$(compare -metric AE "$work/$1.png" "$work/$2.png" null: 2>&1 || true)" = "0" ]; }
colours=0
for _ in $(seq 1 50); do
  shot before
  colours=$(convert "$work/before.png" -unique-colors -format %w info:)
  [ "$colours" -gt 20 ] && break
  sleep 0.2
done
[ "$colours" -gt 20 ] || fail "the view shows only $colours colours"

"$tool" send StartPlay 0 || fail "StartPlay was not delivered"
# Playback halts at the first stop: inside the first chapter, past its start, before its end.
for _ in $(seq 1 150); do grep -q "playback stopped at" "$log" && break; sleep 0.2; done
stopLine=$(grep "playback stopped at" "$log" | head -1)
[ -n "$stopLine" ] || fail "playback did not come to a stop"
read -r at total chapter <<<"$(echo "$stopLine" | sed -E 's/.*stopped at ([0-9.]+) s of ([0-9.]+) s in chapter ([0-9]+) of .*/\1 \2 \3/')"
[ "$chapter" = 1 ] || fail "playback left the first chapter: $stopLine"
awk -v a="$at" -v t="$total" 'BEGIN { exit !(a > 0 && a < t) }' || fail "not at a stop inside the chapter: $stopLine"
[ "$(windowTitle)" = "$title" ] || fail "the title changed to '$(windowTitle)'"
sleep 1
shot atStop
same before atStop && fail "the view did not change while playing"

"$tool" send StartPlay 0 || fail "the second StartPlay was not delivered"
sleep 0.3
"$tool" send StopAnim 0 || fail "StopAnim was not delivered"
for _ in $(seq 1 50); do [ "$(grep -c "playback stopped at" "$log")" -ge 2 ] && break; sleep 0.2; done
[ "$(grep -c "playback stopped at" "$log")" -ge 2 ] || fail "StopAnim did not stop playback"
sleep 0.5
shot stopped1
sleep 1
shot stopped2
same stopped1 stopped2 || fail "StopAnim did not stop playback"

# The last chapter, played fast to its end, then backward to its previous stop.
stops() { grep -c "playback stopped at" "$log"; }
waitForStop() {
  for _ in $(seq 1 150); do [ "$(stops)" -ge "$1" ] && return 0; sleep 0.2; done
  fail "$2 did not come to a stop"
}
"$tool" send SetChapter 3 || fail "SetChapter was not delivered"
last="${title%Disassembly}Gear and screws"
for _ in $(seq 1 50); do [ "$(windowTitle)" = "$last" ] && break; sleep 0.2; done
[ "$(windowTitle)" = "$last" ] || fail "SetChapter 3 shows '$(windowTitle)'"
count=$(stops)
"$tool" send StartFastAnim 0 || fail "StartFastAnim was not delivered"
waitForStop $((count + 1)) StartFastAnim
read -r at total chapter <<<"$(grep "playback stopped at" "$log" | tail -1 |
  sed -E 's/.*stopped at ([0-9.]+) s of ([0-9.]+) s in chapter ([0-9]+) of .*/\1 \2 \3/')"
# The last chapter has no next one: playback rests at its end (the last frame may overshoot it).
[ "$chapter" = 3 ] && awk -v a="$at" -v t="$total" 'BEGIN { exit !(a >= t) }' ||
  fail "StartFastAnim did not reach the end of chapter 3"
"$tool" send StartBackPlay 0 || fail "StartBackPlay was not delivered"
waitForStop $((count + 2)) StartBackPlay
read -r back _ chapter <<<"$(grep "playback stopped at" "$log" | tail -1 |
  sed -E 's/.*stopped at ([0-9.]+) s of ([0-9.]+) s in chapter ([0-9]+) of .*/\1 \2 \3/')"
awk -v b="$back" -v t="$total" 'BEGIN { exit !(b < t) }' || fail "StartBackPlay did not move back ($back of $total)"

"$tool" send CloseKinemo 0 || fail "CloseKinemo was not delivered"
for _ in $(seq 1 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.2; done
kill -0 "$pid" 2>/dev/null && fail "the program did not close"
wait "$pid" || fail "the program ended with status $?"
grep -q "MainFrame::doClose" "$log" || fail "the orderly close did not run"
echo "ok"
