#!/usr/bin/env python3
"""kinemo-tool state and render show a hand-written guide as the player does at its stops, at
chapter times and at a chapter's end; the example guide opens with its cover on.

usage: state_tool_test.py TOOL DATA_DIR EXAMPLE_GUIDE"""
import json
import os
import struct
import subprocess
import sys
import tempfile

tool, data, example = (os.path.abspath(a) for a in sys.argv[1:4])
guide = os.path.join(data, "animation", "state_guide.iv")
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)


def run(*args):
    return subprocess.run([tool, *args], capture_output=True, timeout=120, cwd=tempfile.gettempdir())


def state(path, *options):
    result = run("state", path, *options)
    if result.returncode != 0:
        failures.append("state %s %s: rc %d %s" % (path, options, result.returncode, result.stderr.decode()))
        return None
    return json.loads(result.stdout.decode("utf-8"))


def node(s, name):
    for n in s["nodes"]:
        if n["name"] == name:
            return n
    raise KeyError(name)


def near(a, b, tolerance=1e-3):
    if isinstance(a, list):
        return len(a) == len(b) and all(near(x, y, tolerance) for x, y in zip(a, b))
    return abs(a - b) <= tolerance


# Keys and their types stay as they are: other checks read them.
s = state(guide)
if s:
    check(list(s) == ["chapter", "time", "language", "text", "camera", "nodes"], "top-level keys %r" % list(s))
    check(list(s["camera"]) == ["position", "orientation"], "camera keys")
    keys = ["id", "name", "visible", "translation", "rotation", "scale", "diffuseColor", "transparency"]
    check(all(list(n) == keys for n in s["nodes"]), "node keys")
    check([n["id"] for n in s["nodes"]] == list(range(8)), "every node with an id, in id order")
    # A group answers with the first shape below it.
    check(node(s, "Part")["diffuseColor"] == [0.2, 0.4, 0.6], "a group's colour is its shape's")

# The first stop is where rewinding halts: the opening's viewpoint and text are applied.
s = state(guide, "--stop", "1")
if s:
    check(s["chapter"] == "Moving" and s["language"] == "English", "chapter and language %r" % s["chapter"])
    check(near(s["time"], 0.0001, 1e-9), "first stop time %r" % s["time"])
    check(s["text"] == "Opening", "opening text %r" % s["text"])
    check(near(s["camera"]["position"], [0, 0, 400]), "camera on the first viewpoint")
    check(node(s, "Lid")["visible"] and near(node(s, "Part")["translation"], [10, 0, 0]), "nothing moved yet")

# Second stop: the move has run along the part's z axis and the lid has vanished.
s = state(guide, "--stop", "2")
if s:
    check(s["text"] == "Lift the part", "second text %r" % s["text"])
    check(near(node(s, "Part")["translation"], [10, 0, 100]), "moved %r" % node(s, "Part")["translation"])
    check(not node(s, "Lid")["visible"] and not node(s, "Lid")["visible"], "lid hidden")

# Half way through the 2 s move, before the disappear step.
s = state(guide, "--time", "1.0003")
if s:
    check(near(node(s, "Part")["translation"], [10, 0, 50]), "half way %r" % node(s, "Part")["translation"])
    check(node(s, "Lid")["visible"], "lid still there at 1 s")

# Colour and a camera flight running side by side: half way, then at the third stop.
s = state(guide, "--time", "3.0006")
if s:
    part = node(s, "Part")
    check(near(part["diffuseColor"], [0.4, 0.2, 0.3]) and near(part["transparency"], 0.25), "half coloured %r" % part)
    check(near(s["camera"]["position"], [200, 0, 200], 0.05), "half flown %r" % s["camera"])
s = state(guide, "--stop", "3")
if s:
    part = node(s, "Part")
    check(near(part["diffuseColor"], [0.6, 0, 0]) and near(part["transparency"], 0.5), "coloured %r" % part)
    check(near(s["camera"]["position"], [400, 0, 0]) and near(s["camera"]["orientation"], [0, 1, 0, 1.571]),
          "flown to the side %r" % s["camera"])

# The end: the lid is back and the part has turned about its pivot (10, 0, 0).
s = state(guide, "--end")
if s:
    part = node(s, "Part")
    check(near(s["time"], 5.0009, 1e-6), "run time %r" % s["time"])
    check(near(part["rotation"], [0, 1, 0, 1]), "turned %r" % part["rotation"])
    check(near(part["translation"], [14.597, 0, 108.415]), "pivot kept %r" % part["translation"])
    check(node(s, "Lid")["visible"] and s["text"] == "Turn and show", "lid back, last text")

# Another chapter starts from the scene as loaded, with an empty panel; its texts in German.
s = state(guide, "--chapter", "2")
if s:
    check(s["chapter"] == "Second" and s["text"] == "", "second chapter opens without text %r" % s["text"])
    check(not node(s, "Base")["visible"] and node(s, "Lid")["visible"], "second chapter's opening only")
    check(near(node(s, "Part")["translation"], [10, 0, 0]), "first chapter's moves undone")
s = state(guide, "--chapter", "2", "--end", "--language", "deutsch")
if s:
    check(s["chapter"] == "Zweites" and s["language"] == "Deutsch", "German titles %r" % s["chapter"])
    check(s["text"] == "Sockel wieder da" and node(s, "Base")["visible"], "German text %r" % s["text"])

# Bad options and places that do not exist.
for args, rc in [(("--chapter", "3"), 1), (("--stop", "4"), 1), (("--language", "Klingon"), 1),
                 (("--stop", "0"), 2), (("--time", "-1"), 2), (("--time", "nan"), 2), (("--stop", "1", "--end"), 2),
                 (("--chapter",), 2)]:
    result = run("state", guide, *args)
    check(result.returncode == rc and result.stdout == b"", "state %r gives rc %d, not %d" % (args, result.returncode, rc))

# The example guide opens with its cover on; the cover goes in the first passage.
s = state(example, "--stop", "1", "--language", "English")
if s:
    check(node(s, "Cover")["visible"], "the example opens with its cover hidden")
    check(s["text"] == "First take off the cover.", "example opening text %r" % s["text"])
s = state(example, "--stop", "2")
if s:
    check(not node(s, "Cover")["visible"], "the first passage takes the cover off")
s = state(example, "--chapter", "2", "--stop", "1")
if s:
    check(near(node(s, "Shaft")["translation"], [0, 50, 150], 0.01), "the assembly opens with the shaft out")


def green_pixels(path):
    with open(path, "rb") as f:
        b = f.read()
    offset, = struct.unpack_from("<I", b, 10)
    width, height = struct.unpack_from("<ii", b, 18)
    bits, = struct.unpack_from("<H", b, 28)
    step = bits // 8
    row = (width * step + 3) & ~3
    count = 0
    for y in range(abs(height)):
        for x in range(width):
            p = offset + y * row + x * step
            blue, green, red = b[p], b[p + 1], b[p + 2]
            if green > 150 and red < 100 and blue < 100:
                count += 1
    return count


# render takes the same options: the green lid is drawn at the first stop, not at the second.
with tempfile.TemporaryDirectory() as d:
    shown = {}
    for stop in ("1", "2"):
        out = os.path.join(d, "stop%s.bmp" % stop)
        result = run("render", guide, out, "--size", "160x120", "--stop", stop)
        if result.returncode != 0:
            if b"no OpenGL" in result.stderr:
                break
            failures.append("render --stop %s: rc %d %s" % (stop, result.returncode, result.stderr.decode()))
            break
        shown[stop] = green_pixels(out)
    if len(shown) == 2:
        check(shown["1"] > 0 and shown["2"] == 0, "lid pixels at the stops %r" % shown)

if failures:
    for f in failures:
        print("FAIL:", f)
    sys.exit(1)
print("state tool: ok")
