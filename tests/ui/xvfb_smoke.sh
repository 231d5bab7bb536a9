#!/usr/bin/env bash
# Smoke test of the desktop program on a virtual X display (run under xvfb-run): it opens a
# scene with the product title, draws it, answers steering records and closes cleanly.
# usage: xvfb_smoke.sh KINEMO KINEMO_TOOL SCENE
set -euo pipefail
kinemo=$1 tool=$2 scene=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export TMPDIR=$work XDG_RUNTIME_DIR=$work/run QT_QPA_PLATFORM=xcb
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}
mkdir -m 700 "$XDG_RUNTIME_DIR"
cd "$work"
"$kinemo" "$scene" >"$work/out.txt" 2>&1 &
pid=$!
log=$work/kinemo-$(id -u)/Kinemo_Viewer_Log.txt
for _ in $(seq 1 100); do grep -q "Renderer, Frame Rate" "$log" 2>/dev/null && break; sleep 0.2; done
sleep 1
fail() { echo "FAIL: $*"; cat "$work/out.txt"; [ -f "$log" ] && cat "$log"; kill "$pid" 2>/dev/null; exit 1; }
grep -q "loaded $scene" "$log" || fail "the scene was not read"
if command -v import >/dev/null && command -v convert >/dev/null; then
  import -window root "$work/shot.png"
  colours=$(convert "$work/shot.png" -unique-colors -format %w info:)
  [ "$colours" -gt 20 ] || fail "the screen shows only $colours colours"
fi
"$tool" send StopAnim 0 || fail "StopAnim was not delivered"
"$tool" send 1013 0 2>/dev/null && fail "an unknown code was sent"
"$tool" send CloseKinemo 0 || fail "CloseKinemo was not delivered"
for _ in $(seq 1 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.2; done
kill -0 "$pid" 2>/dev/null && fail "the program did not close"
wait "$pid" || fail "the program ended with status $?"
grep -q "MainFrame::doClose" "$log" || fail "the orderly close did not run"
echo "ok"
