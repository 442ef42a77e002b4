#!/usr/bin/env python3
"""Reads the end-to-end test's screenshots and answers questions about their pixels.

  pixels.py toys SHOT            -> "count centre_y left top right bottom" of the toy pixels
  pixels.py robot SHOT [--box l,t,r,b]
                                 -> "count centre_x centre_y" of the robot's eye pixels
  pixels.py changed BEFORE AFTER [--box l,t,r,b] COLOUR...
                                 -> "changed matching" pixel counts

Toy pixels are bright and strongly coloured and not blue; the sky, the water, the ground and the
white status text are not. The status lines at the top are left out. A changed pixel differs from the one before by
more than a little in some channel; it matches when its new colour is near one of the given
colours (r,g,b each) or, for a line drawn faint or blended, moved towards one of them.
"""
import subprocess
import sys

STATUS_ROWS = 40


def read(path):
    """Width, height and the RGB bytes of a picture, through ImageMagick."""
    data = subprocess.run(["convert", path, "-depth", "8", "ppm:-"], check=True, capture_output=True,
                          timeout=30).stdout
    fields = []
    at = 0
    while len(fields) < 4:
        while data[at:at + 1].isspace():
            at += 1
        start = at
        while not data[at:at + 1].isspace():
            at += 1
        fields.append(data[start:at])
    width, height = int(fields[1]), int(fields[2])
    return width, height, data[at + 1:]


def is_toy(r, g, b):
    top = max(r, g, b)
    # The sky and the pond's water are blue: blue toys are left out with them.
    if b == top and b > r + 40 and b > g + 20:
        return False
    return top > 110 and top - min(r, g, b) > 0.45 * top


def toys(path):
    width, height, px = read(path)
    count = 0
    sum_y = 0
    left, top, right, bottom = width, height, -1, -1
    for y in range(STATUS_ROWS, height):
        row = y * width * 3
        for x in range(width):
            i = row + 3 * x
            if is_toy(px[i], px[i + 1], px[i + 2]):
                count += 1
                sum_y += y
                left, right = min(left, x), max(right, x)
                top, bottom = min(top, y), max(bottom, y)
    centre = sum_y / count if count else -1
    print(f"{count} {centre:.2f} {left} {top} {right} {bottom}")


def is_robot_eye(r, g, b):
    """The spider's eyes are warm yellow; so are some toys, which a box leaves out."""
    return r > 200 and g > 170 and b < 150 and r - b > 90


def robot(path, box):
    width, height, px = read(path)
    left, top, right, bottom = box if box else (0, STATUS_ROWS, width - 1, height - 1)
    count = 0
    sum_x = 0
    sum_y = 0
    for y in range(max(top, STATUS_ROWS), min(height, bottom + 1)):
        row = y * width * 3
        for x in range(max(0, left), min(width, right + 1)):
            i = row + 3 * x
            if is_robot_eye(px[i], px[i + 1], px[i + 2]):
                count += 1
                sum_x += x
                sum_y += y
    if count:
        print(f"{count} {sum_x / count:.2f} {sum_y / count:.2f}")
    else:
        print("0 -1 -1")


def near(colour, target, reach):
    return sum((c - t) ** 2 for c, t in zip(colour, target)) <= reach * reach


def towards(before, after, target):
    """The change points the way of the target colour: each channel moved towards it or stayed."""
    moved = 0
    for b, a, t in zip(before, after, target):
        step = a - b
        if abs(step) < 8:
            continue
        if (t - b) * step <= 0:
            return False
        moved += abs(step)
    return moved >= 40


def changed(before_path, after_path, box, colours):
    width, height, before = read(before_path)
    w2, h2, after = read(after_path)
    if (width, height) != (w2, h2):
        print("0 0")
        return
    left, top, right, bottom = box if box else (0, STATUS_ROWS, width - 1, height - 1)
    top = max(top, STATUS_ROWS)
    count = 0
    matching = 0
    x0, x1 = max(0, left), min(width, right + 1)
    for y in range(max(0, top), min(height, bottom + 1)):
        row = y * width * 3
        if before[row + 3 * x0:row + 3 * x1] == after[row + 3 * x0:row + 3 * x1]:
            continue
        for x in range(x0, x1):
            i = row + 3 * x
            b = (before[i], before[i + 1], before[i + 2])
            a = (after[i], after[i + 1], after[i + 2])
            if max(abs(p - q) for p, q in zip(a, b)) <= 24:
                continue
            count += 1
            if any(near(a, c, 90) or towards(b, a, c) for c in colours):
                matching += 1
    print(f"{count} {matching}")


def main(argv):
    if len(argv) >= 2 and argv[0] == "toys":
        toys(argv[1])
        return 0
    if len(argv) >= 2 and argv[0] == "robot":
        box = None
        if len(argv) >= 4 and argv[2] == "--box":
            box = tuple(int(v) for v in argv[3].split(","))
        robot(argv[1], box)
        return 0
    if len(argv) >= 3 and argv[0] == "changed":
        rest = argv[3:]
        box = None
        if len(rest) >= 2 and rest[0] == "--box":
            box = tuple(int(v) for v in rest[1].split(","))
            rest = rest[2:]
        colours = [tuple(int(v) for v in c.split(",")) for c in rest]
        changed(argv[1], argv[2], box, colours)
        return 0
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
