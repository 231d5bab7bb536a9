#!/bin/sh
# kinemo-tool render on small scene files: PNG and BMP files of the asked size, the drawn cube in
# the middle, refusals of bad arguments. Exits 77 (skipped) where no OpenGL drawing is possible.
set -u
tool=$1
data=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

if ! "$tool" render "$data/lit_cube.wrl" "$work/cube.png" --size 64x48 2>"$work/err.txt"; then
  grep -q "no OpenGL" "$work/err.txt" && exit 77
  cat "$work/err.txt"
  fail "render to png"
fi
python3 - "$work/cube.png" 64 48 <<'PY' || fail "png header or pixels"
import struct, sys, zlib
data = open(sys.argv[1], "rb").read()
if data[:8] != b"\x89PNG\r\n\x1a\n":
    sys.exit("no PNG signature")
w, h, depth, colour = struct.unpack(">IIBB", data[16:26])
if (w, h) != (int(sys.argv[2]), int(sys.argv[3])):
    sys.exit("size %dx%d" % (w, h))
if depth != 8 or colour != 6:
    sys.exit("not 8-bit RGBA")
# The image data, unfiltered row by row, to look at the centre pixel.
pos, idat = 8, b""
while pos < len(data):
    n, kind = struct.unpack(">I4s", data[pos:pos + 8])
    if kind == b"IDAT":
        idat += data[pos + 8:pos + 8 + n]
    pos += 12 + n
raw = zlib.decompress(idat)
stride = w * 4
rows, prev = [], bytearray(stride)
for y in range(h):
    f = raw[y * (stride + 1)]
    line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
    for i in range(stride):
        a = line[i - 4] if i >= 4 else 0
        b = prev[i]
        c = prev[i - 4] if i >= 4 else 0
        if f == 1: line[i] = (line[i] + a) & 255
        elif f == 2: line[i] = (line[i] + b) & 255
        elif f == 3: line[i] = (line[i] + (a + b) // 2) & 255
        elif f == 4:
            p = a + b - c
            pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
            line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
    rows.append(line)
    prev = line
r, g, b, a = rows[h // 2][(w // 2) * 4:(w // 2) * 4 + 4]
if not (r > 200 and g < 30 and b < 30 and a == 255):
    sys.exit("centre pixel %s" % ((r, g, b, a),))
r, g, b, a = rows[0][0:4]
if a != 0:
    sys.exit("corner pixel %s" % ((r, g, b, a),))
PY

"$tool" render "$data/lit_cube.wrl" "$work/cube.BMP" --size 301x40 2>/dev/null || fail "render to bmp"
python3 - "$work/cube.BMP" <<'PY' || fail "bmp header"
import struct, sys
data = open(sys.argv[1], "rb").read()
if data[:2] != b"BM":
    sys.exit("no BM")
w, h = struct.unpack("<ii", data[18:26])
if (w, h) != (304, 40) or len(data) != 54 + 304 * 40 * 4:
    sys.exit("size %dx%d, %d bytes" % (w, h, len(data)))
PY

"$tool" render "$data/no_viewpoint.wrl" "$work/fitted.png" --size 32x32 2>/dev/null || fail "a scene without viewpoint"
[ -s "$work/fitted.png" ] || fail "no image for a scene without viewpoint"

"$tool" render "$data/lit_cube.wrl" "$work/x.jpg" 2>/dev/null && fail "a .jpg output was accepted"
"$tool" render "$data/lit_cube.wrl" "$work/x.png" --size 0x10 2>/dev/null && fail "a zero size was accepted"
"$tool" render "$data/lit_cube.wrl" "$work/x.png" --size 99999x10 2>/dev/null && fail "a huge size was accepted"
"$tool" render "$data/lit_cube.wrl" "$work/x.png" --viewpoint 7 2>/dev/null && fail "a missing viewpoint was accepted"
"$tool" render "$work/missing.wrl" "$work/x.png" 2>/dev/null && fail "a missing file was accepted"
[ -e "$work/x.png" ] && fail "a refused render wrote a file"
exit 0
