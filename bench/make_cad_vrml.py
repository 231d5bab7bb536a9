#!/usr/bin/env python3
"""Writes a VRML 2 file shaped like a CAD export, for timing the scene reader by hand.

    bench/make_cad_vrml.py OUT.wrl [TRIANGLES]   (default 1,000,000 triangles, about 100 MB)

Assemblies of Transforms hold parts; each part is a Shape with its own Material and an
IndexedFaceSet of a tessellated cylinder-like surface: a Coordinate point list (six decimals, as
exporters write them), per-vertex normals, and a coordIndex of triangles ended by -1. Vertices
are split at the seams as exporters do, so there are about as many points as triangles.
"""
import math
import random
import sys


def part(out, rng, index, triangles):
    rings = max(2, int(math.sqrt(triangles / 2 / 2)))
    segments = max(3, triangles // (2 * (rings - 1)))
    radius = rng.uniform(2.0, 40.0)
    height = rng.uniform(5.0, 120.0)
    cx, cy, cz = (rng.uniform(-500.0, 500.0) for _ in range(3))
    w = out.write
    w("          Shape {\n            appearance Appearance {\n              material Material {\n")
    w("                diffuseColor %.6f %.6f %.6f\n" % (rng.random(), rng.random(), rng.random()))
    w("                specularColor 0.200000 0.200000 0.200000\n                shininess 0.300000\n")
    w("              }\n            }\n            geometry IndexedFaceSet {\n")
    w("              solid FALSE\n              creaseAngle 0.500000\n")
    w("              coord DEF COORD_%d Coordinate {\n                point [\n" % index)
    lines = []
    normals = []
    for r in range(rings):
        z = cz + height * r / (rings - 1)
        for s in range(segments + 1):
            a = 2.0 * math.pi * s / segments
            lines.append("                  %.6f %.6f %.6f,\n" % (cx + radius * math.cos(a), cy + radius * math.sin(a), z))
            normals.append("                  %.6f %.6f %.6f,\n" % (math.cos(a), math.sin(a), 0.0))
    w("".join(lines))
    w("                ]\n              }\n")
    w("              normal Normal {\n                vector [\n")
    w("".join(normals))
    w("                ]\n              }\n              coordIndex [\n")
    faces = []
    count = 0
    row = segments + 1
    for r in range(rings - 1):
        for s in range(segments):
            a = r * row + s
            b = a + 1
            c = a + row
            d = c + 1
            faces.append("                %d, %d, %d, -1, %d, %d, %d, -1,\n" % (a, b, d, a, d, c))
            count += 2
    w("".join(faces))
    w("              ]\n              normalIndex [\n")
    w("".join(faces))
    w("              ]\n            }\n          }\n")
    return count


def main():
    if len(sys.argv) < 2:
        print(__doc__)
        return 2
    target = int(sys.argv[2]) if len(sys.argv) > 2 else 1000000
    rng = random.Random(7)
    done = 0
    index = 0
    with open(sys.argv[1], "w", newline="\n") as out:
        out.write("#VRML V2.0 utf8\n\n# Exported by a CAD system\n\n")
        out.write("DEF ASSEMBLY Transform {\n  children [\n")
        assembly = 0
        while done < target:
            out.write("    DEF SUB_%d Transform {\n      translation %.4f %.4f %.4f\n      children [\n"
                      % (assembly, rng.uniform(-1000, 1000), rng.uniform(-1000, 1000), rng.uniform(-1000, 1000)))
            for _ in range(rng.randint(3, 12)):
                if done >= target:
                    break
                out.write("        DEF PART_%d Transform {\n" % index)
                out.write("          rotation 0 0 1 %.6f\n          children [\n" % rng.uniform(0, 3.14))
                n = min(target - done, rng.choice([200, 400, 800, 1600, 3200]))
                done += part(out, rng, index, n)
                out.write("          ]\n        }\n")
                index += 1
            out.write("      ]\n    }\n")
            assembly += 1
        out.write("  ]\n}\n")
    print("%d triangles in %d parts" % (done, index))
    return 0


if __name__ == "__main__":
    sys.exit(main())
