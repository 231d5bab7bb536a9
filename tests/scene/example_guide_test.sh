#!/bin/sh
# The example guide shipped in examples/ loads with its chapters and steps and no complaint, and
# the process ends (text steps held by the chapters are deleted at exit).
set -u
tool=$1
guide=$2
fail() { echo "FAIL: $*"; exit 1; }
out=$(timeout 60 "$tool" info "$guide" 2>/dev/null) || fail "info $guide"
printf '%s\n' "$out" | python3 -c '
import json, sys
d = json.load(sys.stdin)
assert d["chapters"] >= 2, "chapters %r" % d["chapters"]
assert d["steps"] > 0, "steps %r" % d["steps"]
assert d["errors"] == 0 and d["warnings"] == 0, "errors %r warnings %r" % (d["errors"], d["warnings"])
' || fail "counts: $out"
echo "example guide: ok"
