#!/usr/bin/env python3
"""Writes the example guide: a small bearing block (base plate, housing, shaft, gear, cover and four
screws) in three chapters and four languages. The guide is written here as text and then read and
written again by kinemo-tool, so that examples/example.iv is always what the program itself writes.

usage: make_example.py KINEMO_TOOL [OUT]   (OUT defaults to examples/example.iv)"""
import math
import os
import subprocess
import sys
import tempfile

LANGUAGES = ["Deutsch", "Francais", "Italiano", "English"]
INSTANT = 100000.0

# ---- geometry -------------------------------------------------------------------------------


def num(v):
    return "%.3f" % (0.0 if abs(v) < 5e-4 else v)


def face_set(points, faces, crease):
    pts = ",".join("%s %s %s" % (num(x), num(y), num(z)) for x, y, z in points)
    idx = ",-1,".join(",".join(str(i) for i in f) for f in faces)
    return ("  geometry IndexedFaceSet {\n    coord Coordinate {\n      point [%s]\n    }\n"
            "    creaseAngle %.6f\n    coordIndex [%s]\n  }\n" % (pts, crease, idx))


def box(sx, sy, sz):
    x, y, z = sx / 2, sy / 2, sz / 2
    p = [(-x, -y, -z), (x, -y, -z), (x, y, -z), (-x, y, -z), (-x, -y, z), (x, -y, z), (x, y, z), (-x, y, z)]
    quads = [(0, 3, 2, 1), (4, 5, 6, 7), (0, 1, 5, 4), (3, 7, 6, 2), (0, 4, 7, 3), (1, 2, 6, 5)]
    return p, [(a, b, c) for a, b, c, d in quads] + [(a, c, d) for a, b, c, d in quads]


def prism_y(outline, y0, y1, points=None, faces=None):
    """A prism along y over a counter-clockwise outline (seen from +y) in x and z."""
    points = [] if points is None else points
    faces = [] if faces is None else faces
    base = len(points)
    n = len(outline)
    points += [(x, y0, z) for x, z in outline] + [(x, y1, z) for x, z in outline]
    points += [(0, y0, 0), (0, y1, 0)]
    lo, hi = base + 2 * n, base + 2 * n + 1
    for i in range(n):
        j = (i + 1) % n
        a, b, c, d = base + i, base + j, base + n + j, base + n + i
        faces += [(a, d, c), (a, c, b), (lo, b, a), (hi, d, c)]
    return points, faces


def circle(r, n):
    # Counter-clockwise seen from +y: x = r cos, z = -r sin.
    return [(r * math.cos(2 * math.pi * i / n), -r * math.sin(2 * math.pi * i / n)) for i in range(n)]


def gear_outline(teeth, root, tip):
    out = []
    for t in range(teeth):
        for k, r in ((0.0, root), (0.2, tip), (0.5, tip), (0.7, root)):
            a = 2 * math.pi * (t + k) / teeth
            out.append((r * math.cos(a), -r * math.sin(a)))
    return out


def gear_along_z(teeth, root, tip, width):
    # Built along y, then turned so that its axis is the scene's z axis.
    p, f = prism_y(gear_outline(teeth, root, tip), -width / 2, width / 2)
    p, f = prism_y(circle(root * 0.55, 16), -width / 2 - 3, width / 2 + 3, p, f)
    return [(x, -z, y) for x, y, z in p], f


def screw():
    p, f = prism_y(circle(5, 12), -15, 12)
    return prism_y(circle(8, 6), 12, 17, p, f)


def pyramid(sx, h, sz):
    x, z = sx / 2, sz / 2
    p = [(-x, 0, -z), (x, 0, -z), (0, h, 0), (-x, 0, z), (x, 0, z)]
    return p, [(0, 1, 4), (0, 4, 3), (0, 2, 1), (1, 2, 4), (4, 2, 3), (3, 2, 0)]


# name, translation, rotation, colour, specular and shininess, transparency, geometry, crease angle
PARTS = [
    ("BasePlate", (0, -10, 0), None, (0.55, 0.57, 0.60), ((0.3, 0.3, 0.3), 0.4), 0, box(200, 20, 120), 0.22),
    ("Housing", (0, 40, 0), None, (0.20, 0.40, 0.75), None, 0, box(90, 80, 80), 0.22),
    ("Shaft", (0, 50, 0), (1, 0, 0, 1.5708), (0.80, 0.80, 0.75), ((0.6, 0.6, 0.6), 0.8), 0,
     prism_y(circle(12, 16), -80, 80), 0.8),
    ("Screw1", (-80, 5, -40), None, (0.85, 0.65, 0.20), None, 0, screw(), 0.8),
    ("Screw2", (80, 5, -40), None, (0.85, 0.65, 0.20), None, 0, screw(), 0.8),
    ("Screw3", (-80, 5, 40), None, (0.85, 0.65, 0.20), None, 0, screw(), 0.8),
    ("Screw4", (80, 5, 40), None, (0.85, 0.65, 0.20), None, 0, screw(), 0.8),
    ("Cover", (0, 85, 0), None, (0.75, 0.20, 0.20), None, 0.3, pyramid(90, 25, 80), 0.5),
    ("Gear", (0, 50, 60), None, (0.45, 0.47, 0.52), ((0.5, 0.5, 0.5), 0.6), 0, gear_along_z(14, 26, 32, 10), 0.5),
]

# Node ids as the reader gives them: the root, the file's root, the assembly, then every part and its shape.
ID = {name: 3 + 2 * i for i, (name, *_rest) in enumerate(PARTS)}


def part_text(name, translation, rotation, colour, shine, transparency, geometry, crease):
    s = "Transform {\n    #name %s\n    translation %.6f %.6f %.6f\n" % ((name,) + tuple(translation))
    if rotation:
        s += "    rotation %.4f %.4f %.4f %.6f\n" % rotation
    s += "    children [\n\nShape {\n  appearance Appearance {\n    material Material {\n"
    s += "      diffuseColor %.3f %.3f %.3f\n" % colour
    if shine:
        s += "      specularColor %.3f %.3f %.3f\n      shininess %.6f\n" % (shine[0] + (shine[1],))
    if transparency:
        s += "      transparency %.6f\n" % transparency
    s += "    }\n  }\n" + face_set(geometry[0], geometry[1], crease) + "}\n\n]}\n\n"
    return s


# ---- viewpoints -----------------------------------------------------------------------------


def look_at(eye, target):
    """Axis and angle that turn a camera at eye (looking down its -z, y up) towards target."""
    dx, dy, dz = (e - t for e, t in zip(eye, target))
    yaw = math.atan2(dx, dz)
    pitch = -math.atan2(dy, math.hypot(dx, dz))
    # q = q_yaw * q_pitch
    cy, sy, cp, sp = math.cos(yaw / 2), math.sin(yaw / 2), math.cos(pitch / 2), math.sin(pitch / 2)
    w, x, y, z = cy * cp, cy * sp, sy * cp, -sy * sp
    angle = 2 * math.acos(max(-1.0, min(1.0, w)))
    s = math.sqrt(max(1e-12, 1 - w * w))
    return (x / s, y / s, z / s, angle)


INITIAL = ((0, 120, 380), (1, 0, 0, -0.3))
# In list order: their index is the one the viewpoint steps name.
VIEWPOINTS = [
    ("Right", (380, 160, 0), (0, 1, 0, 1.571), ["Rechts", "Droite", "Destra", "Right"]),
    ("Front", INITIAL[0], INITIAL[1], ["Vorne", "Face", "Davanti", "Front"]),
    ("Gear", (110, 95, 230), look_at((110, 95, 230), (0, 50, 60)), ["Zahnrad", "Engrenage", "Ingranaggio", "Gear"]),
]
VIEW = {name: i for i, (name, *_rest) in enumerate(VIEWPOINTS)}

# ---- steps ----------------------------------------------------------------------------------


class Guide:
    def __init__(self):
        self.text_id = 0
        self.out = []

    def texts(self, words):
        s = '# <kmxTEXT id = "%d">\n' % self.text_id
        self.text_id += 1
        for i, w in enumerate(words):
            s += '# <kmxLANGUAGE id = "%d" direction = "f">%s</kmxLANGUAGE>\n' % (i, w)
        return s + "# </kmxTEXT>\n"

    def chapter(self, words):
        self.out.append("\n# [ACTION>>NEWGROUP]\n# ChapterIconName \n\n# DisplayInChapter true\n\n"
                        + self.texts(words) + "# [END]\n")

    def end_chapter(self):
        self.out.append("\n# ANIMGROUP_END\n\n")

    def text(self, words):
        self.out.append("\n# [ACTION>>TEXT]\n# id -1\n" + self.texts(words) + "# [END]\n")

    def stop(self):
        self.out.append("\n# [ACTION>>STOP]\n")

    def pause(self, ms):
        self.out.append("\n# [ACTION>>PAUSE]\n# delay %d\n\n" % ms)

    def appear(self, part):
        self.out.append("\n# [ACTION>>APPEAR]\n# id %d\n" % ID[part])

    def disappear(self, part):
        self.out.append("\n# [ACTION>>DISAPPEAR]\n# id %d\n" % ID[part])

    def move(self, part, displ, speed, wait=True):
        self.out.append("\n# [ACTION>>MOVE]\n# id %d\n# dowait %s\n#\n#   [STEP>>TRANS]\n#   speed %f\n"
                        "#   displ (%s, %s, %s)\n#\n# [END]\n"
                        % ((ID[part], "true" if wait else "false", speed) + tuple(num(v) for v in displ)))

    def screw_in(self, part, turns, displ, seconds, wait=True):
        # One turn of the helix about the screw's own axis, with the way down travelled meanwhile.
        self.out.append("\n# [ACTION>>MOVE]\n# id %d\n# dowait %s\n#\n#   [STEP>>TRANSROT]\n#   speed %f\n"
                        "#   center (0.000, 0.000, 0.000)\n#   rot (0.000, 1.000, 0.000, %s)\n"
                        "#   displ (%s, %s, %s)\n#\n# [END]\n"
                        % ((ID[part], "true" if wait else "false", 1.0 / seconds, num(-2 * math.pi * turns))
                           + tuple(num(v) for v in displ)))

    def change(self, transparency, direction):
        return ("# transparency %6.3f\n# diffuseBrightness -2.000\n# emissiveBrightness -2.000\n"
                "# specularBrightness -2.000\n# ambientBrightness -2.000\n# shininess -2.000\n"
                "# colorDirection %6.3f %6.3f %6.3f\n" % ((transparency,) + direction))

    def colour(self, part, seconds, direction, wait=True):
        self.out.append("\n# [ACTION>>COLOR]\n# id %d\n# duration %6.3f\n# dowait %s\n"
                        % (ID[part], seconds, "true" if wait else "false") + self.change(0.0, direction))

    def blink(self, part, on, off, cycles, direction):
        self.out.append("\n# [ACTION>>BLINK]\n# id %d\n# onDuration %6.3f\n# offDuration %6.3f\n# numCycle %d\n"
                        "# dowait true\n" % (ID[part], on, off, cycles) + self.change(0.0, direction))

    def viewpoint(self, name, seconds):
        self.out.append("\n# [ACTION>>VIEWPOINT]\n# index %d\n# duration %5.2f\n" % (VIEW[name], seconds))


SCREWS = ["Screw1", "Screw2", "Screw3", "Screw4"]


def chapters(g):
    g.chapter(["Demontage", "D\xe9montage", "Smontaggio", "Disassembly"])
    # Every chapter opens on a viewpoint, so that a reader who turned the view starts it from the front.
    g.viewpoint("Front", 0.0)
    g.text(["Zuerst wird der Deckel abgenommen.", "Enlevez d'abord le couvercle.",
            "Per prima cosa togliere il coperchio.", "First take off the cover."])
    g.stop()
    g.pause(800)
    g.disappear("Cover")
    g.stop()
    g.text(["Die vier Schrauben nacheinander herausdrehen.", "D\xe9vissez les quatre vis l'une apr\xe8s l'autre.",
            "Svitare le quattro viti una dopo l'altra.", "Unscrew the four screws one after another."])
    for i, s in enumerate(SCREWS):
        g.move(s, (0, 60, 0), 40.0)
        if i < 3:
            g.pause(300)
    g.stop()
    g.text(["Die Welle mit dem Zahnrad entlang ihrer Achse aus dem Lagergeh\xe4use ziehen.",
            "Retirez l'arbre avec l'engrenage du palier le long de son axe.",
            "Estrarre l'albero con l'ingranaggio dal supporto lungo il suo asse.",
            "Pull the shaft with its gear out of the housing along its axis."])
    g.move("Gear", (0, 0, 150), 60.0, wait=False)
    g.move("Shaft", (0, 150, 0), 60.0)
    g.stop()
    g.text(["Der Lagerbock ist zerlegt.", "Le palier est d\xe9mont\xe9.", "Il supporto \xe8 smontato.",
            "The bearing block is taken apart."])
    g.end_chapter()

    g.chapter(["Montage", "Montage", "Montaggio", "Assembly"])
    g.viewpoint("Front", 0.0)
    g.disappear("Cover")
    for s in SCREWS:
        g.move(s, (0, 60, 0), INSTANT, wait=False)
    g.move("Gear", (0, 0, 150), INSTANT, wait=False)
    g.move("Shaft", (0, 150, 0), INSTANT)
    g.text(["Die Welle mit dem Zahnrad entlang ihrer Achse in das Lagergeh\xe4use schieben.",
            "Introduisez l'arbre avec l'engrenage dans le palier le long de son axe.",
            "Inserire l'albero con l'ingranaggio nel supporto lungo il suo asse.",
            "Slide the shaft with its gear into the housing along its axis."])
    g.stop()
    g.move("Gear", (0, 0, -150), 60.0, wait=False)
    g.move("Shaft", (0, -150, 0), 60.0)
    g.stop()
    g.text(["Die vier Schrauben nacheinander eindrehen.", "Vissez les quatre vis l'une apr\xe8s l'autre.",
            "Avvitare le quattro viti una dopo l'altra.", "Screw in the four screws one after another."])
    for i, s in enumerate(reversed(SCREWS)):
        g.move(s, (0, -60, 0), 40.0)
        if i < 3:
            g.pause(300)
    g.stop()
    g.text(["Zuletzt den Deckel aufsetzen.", "Posez enfin le couvercle.", "Infine rimettere il coperchio.",
            "Finally put the cover back on."])
    g.pause(800)
    g.appear("Cover")
    g.stop()
    g.text(["Der Lagerbock ist montiert.", "Le palier est mont\xe9.", "Il supporto \xe8 montato.",
            "The bearing block is assembled."])
    g.end_chapter()

    g.chapter(["Zahnrad und Schrauben", "Engrenage et vis", "Ingranaggio e viti", "Gear and screws"])
    g.viewpoint("Front", 0.0)
    g.disappear("Gear")
    for s in SCREWS:
        g.move(s, (0, 60, 0), INSTANT, wait=False)
    # The longest of the opening's moves waits, so that all of them are done before the first stop.
    g.move("Gear", (0, 0, 100), INSTANT)
    g.text(["Die Schrauben drehen sich beim Eindrehen viermal um ihre Achse.",
            "En entrant, chaque vis fait quatre tours sur son axe.",
            "Avvitandosi, ogni vite compie quattro giri sul proprio asse.",
            "Each screw turns four times about its axis on its way in."])
    g.stop()
    g.screw_in("Screw1", 4, (0, -60, 0), 2.0, wait=False)
    g.screw_in("Screw2", 4, (0, -60, 0), 2.0)
    g.pause(400)
    g.screw_in("Screw3", 4, (0, -60, 0), 2.0, wait=False)
    g.screw_in("Screw4", 4, (0, -60, 0), 2.0)
    g.text(["Das Zahnrad auf das Wellenende schieben.", "Glissez l'engrenage sur le bout de l'arbre.",
            "Infilare l'ingranaggio sull'estremit\xe0 dell'albero.", "Slide the gear onto the end of the shaft."])
    g.stop()
    g.appear("Gear")
    g.pause(500)
    g.move("Gear", (0, 0, -100), 50.0)
    g.text(["Das Zahnrad von nahem pr\xfcfen.", "Regardez l'engrenage de pr\xe8s.",
            "Controllare l'ingranaggio da vicino.", "Take a close look at the gear."])
    g.stop()
    g.viewpoint("Gear", 2.0)
    g.colour("Gear", 1.0, (0.1, 0.9, 0.2))
    g.blink("Gear", 0.25, 0.25, 4, (1.0, 1.0, 0.0))
    g.text(["Das Zahnrad sitzt fest.", "L'engrenage est en place.", "L'ingranaggio \xe8 montato.",
            "The gear is in place."])
    g.stop()
    g.pause(600)
    g.viewpoint("Front", 1.5)
    g.end_chapter()


def viewpoint_text(name, position, rotation, words):
    s = "\n# [DEF>>VIEWPOINT]\n# partId 0\n# pos (%s, %s, %s)\n" % tuple(num(v) for v in position)
    s += "# rot (%s, %s, %s, %s)\n" % tuple(num(v) for v in rotation)
    s += '# <kmxTEXT id = "-1">\n'
    for i, w in enumerate(words):
        s += '# <kmxLANGUAGE id = "%d" direction = "f">%s</kmxLANGUAGE>\n' % (i, w)
    return s + "# </kmxTEXT>\n# [END]\n"


def guide_text():
    s = "#VRML V2.0 utf8\n\n#Kinemo Builder Version 8.09\n#RequiresProgramVersion 8.03\n\n"
    s += 'WorldInfo {\n  info ["Kinemo Builder Version 8.09, authored with Kinemo"]\n}\n\n'
    s += 'NavigationInfo {\n  speed 1000\n  type ["EXAMINE", "ANY"]\n  headlight FALSE\n}\n\n'
    s += ("DirectionalLight {\n  direction 0.000000 -0.295520 -0.955337\n  color 1 1 1\n  intensity 1\n"
          "  ambientIntensity 0\n}\n\n")
    s += ('Viewpoint {\n  orientation %s %s %s %s\n  position %s %s %s\n  description "Initial"\n}\n\n'
          % (tuple(num(v) for v in INITIAL[1]) + tuple(num(v) for v in INITIAL[0])))
    s += "Transform {\n    #name Assembly\n    children [\n\n"
    for p in PARTS:
        s += part_text(*p)
    s += "]}\n\n"
    g = Guide()
    chapters(g)
    s += "\n# <kmxDEFINITION>\n\n# <kmxHIGHESTINDEX value = \"%d\" />\n\n" % (g.text_id - 1)
    for i, name in enumerate(LANGUAGES):
        s += '# <kmxLANGUAGEDEF id = "%d" name = "%s" />\n' % (i, name)
    s += "\n"
    for name, position, rotation, words in VIEWPOINTS:
        s += viewpoint_text(name, position, rotation, words)
    s += "\n# </kmxDEFINITION>\n\n\n# ANIMATIONS\n\n" + "".join(g.out)
    return s


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    tool = os.path.abspath(sys.argv[1])
    out = sys.argv[2] if len(sys.argv) == 3 else os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                                              "example.iv")
    with tempfile.TemporaryDirectory() as d:
        authored = os.path.join(d, "authored.iv")
        with open(authored, "w", encoding="cp1252", newline="\n") as f:
            f.write(guide_text())
        written = os.path.join(d, "written.iv")
        result = subprocess.run([tool, "convert", authored, written], capture_output=True, cwd=d)
        if result.returncode != 0 or not os.path.exists(written):
            sys.exit("kinemo-tool convert failed: %s" % result.stderr.decode(errors="replace"))
        with open(written, "rb") as f:
            data = f.read()
    with open(out, "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main()
