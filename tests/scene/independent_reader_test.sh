#!/bin/sh
# Every VRML 2 text the writer produces must parse in an independent reader (view3dscene's
# tovrmlx3d) without a single warning, with the same shapes and triangles as our own count.
set -u
tool=$1
data=$2
command -v tovrmlx3d >/dev/null 2>&1 || { echo "tovrmlx3d is not installed"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for f in vrml2_parts.wrl vrml1_part.wrl inventor_part.iv own_guide.iv repeated_parts.wrl; do
  "$tool" convert "$data/$f" "$work/out.iv" 2>/dev/null || { echo "FAIL: convert $f"; exit 1; }
  cp "$work/out.iv" "$work/out.wrl"
  tovrmlx3d "$work/out.wrl" --encoding xml >"$work/out.x3d" 2>"$work/warnings.txt"
  if [ -s "$work/warnings.txt" ]; then echo "FAIL: $f gives warnings:"; cat "$work/warnings.txt"; exit 1; fi
  "$tool" info "$work/out.iv" >"$work/info.json" 2>/dev/null || { echo "FAIL: info $f"; exit 1; }
  python3 - "$work/out.x3d" "$work/info.json" <<'PY' || { echo "FAIL: counts of $f differ"; exit 1; }
import json, sys, xml.etree.ElementTree as ET
root = ET.parse(sys.argv[1]).getroot()
shapes = triangles = 0
defined = {}  # a face set shared by DEF/USE counts in every shape that uses it
for e in root.iter():
    tag = e.tag.split('}')[-1]
    if tag == 'Shape':
        shapes += 1
    if tag == 'IndexedFaceSet':
        if e.get('USE'):
            triangles += defined.get(e.get('USE'), 0)
            continue
        face = []
        count = 0
        for v in e.get('coordIndex', '').replace(',', ' ').split():
            if v == '-1':
                count += max(0, len(face) - 2)
                face = []
            else:
                face.append(v)
        count += max(0, len(face) - 2)
        if e.get('DEF'):
            defined[e.get('DEF')] = count
        triangles += count
info = json.load(open(sys.argv[2]))
if (shapes, triangles) != (info['shapes'], info['triangles']):
    sys.exit('independent reader: %d shapes, %d triangles; ours: %d, %d' % (shapes, triangles, info['shapes'], info['triangles']))
PY
done
exit 0
