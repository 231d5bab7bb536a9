#!/bin/sh
# kinemo-tool info and convert on the scene file fixtures: info prints one JSON object with the
# listed fields, convert writes what reads back and fails when either side fails.
set -u
tool=$1
data=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

fields='file type fileVersion vrmlVersion nodes groups shapes faceSets lineSets points triangles materials textures viewpoints chapters steps languages bounds warnings errors loadSeconds'
for f in vrml2_parts.wrl vrml1_part.wrl inventor_part.iv own_guide.iv; do
  "$tool" info "$data/$f" >"$work/info.json" 2>/dev/null || fail "info $f"
  python3 - "$work/info.json" $fields <<'PY' || fail "info $f fields"
import json, sys
obj = json.load(open(sys.argv[1]))
want = sys.argv[2:]
if list(obj.keys()) != want:
    sys.exit("fields differ: %s" % list(obj.keys()))
PY
done
"$tool" info "$data/refuses_version.wrl" >/dev/null 2>&1 && fail "info of a refused file succeeded"
"$tool" info "$work/missing.wrl" >/dev/null 2>&1 && fail "info of a missing file succeeded"

"$tool" convert "$data/own_guide.iv" "$work/guide.bvr" 2>/dev/null || fail "convert to bvr"
[ "$(head -c 13 "$work/guide.bvr")" = "#KINEMBIN V01" ] || fail "bvr is not compressed"
tail -c +22 "$work/guide.bvr" | bzip2 -dc >"$work/content.txt" || fail "payload is no bzip2 stream"
[ "$(head -c 18 "$work/content.txt")" = "#KINEMML V2.0 utf8" ] || fail "content is not KINEMML"
"$tool" convert "$work/guide.bvr" "$work/guide.iv" 2>/dev/null || fail "convert bvr to iv"
[ "$(head -c 15 "$work/guide.iv")" = "#VRML V2.0 utf8" ] || fail "iv is not VRML 2"
"$tool" convert "$work/guide.iv" "$work/again.ros" 2>/dev/null || fail "convert iv to ros"
"$tool" info "$work/again.ros" >"$work/a.json" 2>/dev/null || fail "info ros"
"$tool" info "$data/own_guide.iv" >"$work/b.json" 2>/dev/null || fail "info iv"
python3 - "$work/a.json" "$work/b.json" <<'PY' || fail "converted scene differs"
import json, sys
a, b = (json.load(open(p)) for p in sys.argv[1:])
for k in ("nodes", "groups", "shapes", "triangles", "fileVersion", "languages"):
    if a[k] != b[k]:
        sys.exit("%s: %s != %s" % (k, a[k], b[k]))
PY

"$tool" convert "$data/own_guide.iv" "$work/out.wrl" 2>/dev/null && fail "a .wrl was written"
"$tool" convert "$data/refuses_version.wrl" "$work/out.iv" 2>/dev/null && fail "a refused input converted"
"$tool" convert "$data/own_guide.iv" "$work/no/folder/out.iv" 2>/dev/null && fail "an unwritable output converted"
exit 0
