#!/bin/sh
# The example guide shipped in examples/ loads with its chapters and steps and no complaint, and
# the process ends (text steps held by the chapters are deleted at exit). It is what the writer
# writes today: reading and writing it again gives the same bytes (the creation date aside), and
# so does making it afresh with examples/make_example.py. Its third chapter screws the screws in
# along a helix, puts the gear on, flies to the gear, colours it and makes it blink.
# usage: example_guide_test.sh KINEMO_TOOL GUIDE
set -u
tool=$1
guide=$2
case $tool in /*) ;; *) tool=$PWD/$tool ;; esac
case $guide in /*) ;; *) guide=$PWD/$guide ;; esac
fail() { echo "FAIL: $*"; exit 1; }
work=$(mktemp -d) || fail "no temporary folder"
trap 'rm -rf "$work"' EXIT

out=$(timeout 60 "$tool" info "$guide" 2>/dev/null) || fail "info $guide"
printf '%s\n' "$out" | python3 -c '
import json, sys
d = json.load(sys.stdin)
assert d["chapters"] >= 3, "chapters %r" % d["chapters"]
assert d["steps"] > 0, "steps %r" % d["steps"]
assert d["languages"] == 4, "languages %r" % d["languages"]
assert d["errors"] == 0 and d["warnings"] == 0, "errors %r warnings %r" % (d["errors"], d["warnings"])
' || fail "counts: $out"

# Byte for byte, but for the date the writer puts in.
undated() { grep -av '^#CreationDate ' "$1"; }
sameAsGuide() {
  undated "$guide" >"$work/expected" && undated "$1" >"$work/got" && cmp -s "$work/expected" "$work/got"
}
(cd "$work" && timeout 60 "$tool" convert "$guide" "$work/again.iv" >/dev/null 2>&1) || fail "convert $guide"
sameAsGuide "$work/again.iv" ||
  fail "the writer no longer writes the example guide as it stands: make it again with examples/make_example.py"
maker=$(dirname "$guide")/make_example.py
if [ -f "$maker" ]; then
  timeout 120 python3 "$maker" "$tool" "$work/made.iv" || fail "make_example.py"
  sameAsGuide "$work/made.iv" || fail "examples/make_example.py makes another guide than the one in examples/"
fi

python3 - "$tool" "$guide" <<'EOF' || fail "states of the third chapter"
import json, subprocess, sys
tool, guide = sys.argv[1:3]
failures = []


def state(*options, language="English"):
    r = subprocess.run([tool, "state", guide, "--chapter", "3", "--language", language, *options],
                       capture_output=True, timeout=60)
    if r.returncode != 0:
        failures.append("state %r: rc %d %s" % (options, r.returncode, r.stderr.decode(errors="replace")))
        return None
    s = json.loads(r.stdout.decode("utf-8"))
    s["parts"] = {n["name"]: n for n in s["nodes"]}
    return s


def near(a, b, tolerance=0.01):
    if isinstance(a, list):
        return len(a) == len(b) and all(near(x, y, tolerance) for x, y in zip(a, b))
    return abs(a - b) <= tolerance


def check(condition, what):
    if not condition:
        failures.append(what)


screws = ["Screw1", "Screw2", "Screw3", "Screw4"]
front = [0, 120, 380]
s = state("--stop", "1")
if s:
    p = s["parts"]
    check(s["chapter"] == "Gear and screws", "chapter %r" % s["chapter"])
    check(s["text"] == "Each screw turns four times about its axis on its way in.", "first text %r" % s["text"])
    check(near(s["camera"]["position"], front), "camera %r" % s["camera"])
    check(all(near(p[n]["translation"][1], 65) for n in screws), "screws out %r" % [p[n]["translation"] for n in screws])
    check(not p["Gear"]["visible"] and near(p["Gear"]["translation"], [0, 50, 160]), "gear off %r" % p["Gear"])
# An eighth of the way along the helix: half a turn (clockwise seen from above) and 7.5 down.
s = state("--time", "0.25")
if s:
    screw = s["parts"]["Screw1"]
    turned = screw["rotation"][1] * screw["rotation"][3]
    check(near(screw["translation"], [-80, 57.5, -40], 0.1), "screw on its way %r" % screw["translation"])
    check(near(abs(screw["rotation"][1]), 1) and near(turned, -3.13, 0.05), "screw turned %r" % screw["rotation"])
    check(near(s["parts"]["Screw3"]["translation"], [-80, 65, 40]), "the second pair waits")
s = state("--stop", "2")
if s:
    p = s["parts"]
    check(all(near(p[n]["translation"][1], 5) for n in screws), "screws in %r" % [p[n]["translation"] for n in screws])
    check(near(p["Screw2"]["rotation"][3] % 6.2832, 0, 0.01) or near(p["Screw2"]["rotation"][3] % 6.2832, 6.2832, 0.01),
          "four whole turns %r" % p["Screw2"]["rotation"])
    check(s["text"] == "Slide the gear onto the end of the shaft.", "second text %r" % s["text"])
s = state("--stop", "3")
if s:
    gear = s["parts"]["Gear"]
    check(gear["visible"] and near(gear["translation"], [0, 50, 60]), "gear on the shaft %r" % gear)
    check(near(gear["diffuseColor"], [0.45, 0.47, 0.52]), "gear in its own colour %r" % gear["diffuseColor"])
# Half way through the flight from the front to the gear.
s = state("--time", "7.9")
if s:
    check(near(s["camera"]["position"], [55, 107.5, 305], 1.0), "flying %r" % s["camera"])
# In the blink's first on phase the gear is yellow; in its off phase it shows the colour step's green.
s = state("--time", "10.0")
if s:
    c = s["parts"]["Gear"]["diffuseColor"]
    check(c[0] > 0.4 and c[1] > 0.4 and c[2] < 0.1, "blinking yellow %r" % c)
s = state("--time", "10.3")
if s:
    c = s["parts"]["Gear"]["diffuseColor"]
    check(c[1] > 0.4 and c[0] < 0.2 and c[2] < 0.2, "green between blinks %r" % c)
s = state("--stop", "4")
if s:
    c = s["parts"]["Gear"]["diffuseColor"]
    check(c[1] > 0.4 and c[0] < 0.2 and c[2] < 0.2, "gear green %r" % c)
    check(near(s["camera"]["position"], [110, 95, 230]), "camera at the gear %r" % s["camera"])
    check(s["text"] == "The gear is in place.", "last text %r" % s["text"])
s = state("--end")
if s:
    check(near(s["camera"]["position"], front), "camera back at the front %r" % s["camera"])
s = state("--stop", "1", language="Deutsch")
if s:
    check(s["chapter"] == "Zahnrad und Schrauben", "German title %r" % s["chapter"])
s = state("--stop", "2", language="Francais")
if s:
    check(s["text"] == "Glissez l'engrenage sur le bout de l'arbre.", "French text %r" % s["text"])
s = state("--stop", "2", language="Italiano")
if s:
    check(s["text"] == "Infilare l'ingranaggio sull'estremit\u00e0 dell'albero.", "Italian text %r" % s["text"])
for f in failures:
    print("FAIL:", f)
sys.exit(1 if failures else 0)
EOF
echo "example guide: ok"
