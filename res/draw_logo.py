#!/usr/bin/env python3
"""Draw the about box's logo texture and write it as a raw resource file.

Usage: python3 res/draw_logo.py [OUTFILE] [--check]

The texture is 64 x 64 pixels of red, green, blue bytes, row after row with no
header; the first row is the top edge of each face of the turning cube. The
picture is a blue emblem on a white ground: a ring around a page with lines of
text. OUTFILE defaults to res/logo/logo_texture.bin beside this script;
--check compares instead of writing and fails when the file differs.
"""
import argparse
import os
import sys

SIZE = 64
SAMPLES = 4  # per axis, so edges are smoothed rather than stair-stepped
WHITE = (255, 255, 255)
BLUE = (0, 84, 166)


def is_blue(x, y):
    """True where the emblem covers the point (x, y), origin top left."""
    dx, dy = x - 32.0, y - 32.0
    radius = (dx * dx + dy * dy) ** 0.5
    if 25.0 <= radius <= 30.0:
        return True
    # The page: an outline with a folded corner, and four lines of text.
    left, top, right, bottom = 20.0, 15.0, 44.0, 49.0
    inside = left <= x <= right and top <= y <= bottom and not (x - (right - 7) > y - top)
    if not inside:
        return False
    border = x < left + 2 or x > right - 2 or y < top + 2 or y > bottom - 2
    fold = abs((x - (right - 7)) - (y - top)) < 1.5
    text_line = left + 5 <= x <= right - 5 and any(line <= y < line + 2 for line in (26, 31, 36, 41))
    return border or fold or text_line


def draw():
    pixels = bytearray()
    for row in range(SIZE):
        for column in range(SIZE):
            covered = sum(
                is_blue(column + (i + 0.5) / SAMPLES, row + (j + 0.5) / SAMPLES)
                for i in range(SAMPLES) for j in range(SAMPLES))
            share = covered / (SAMPLES * SAMPLES)
            pixels.extend(round(w + (b - w) * share) for w, b in zip(WHITE, BLUE))
    assert len(pixels) == SIZE * SIZE * 3
    return bytes(pixels)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('outfile', nargs='?', default=os.path.join(here, 'logo', 'logo_texture.bin'))
    parser.add_argument('--check', action='store_true', help='fail when OUTFILE differs from the drawing')
    args = parser.parse_args()
    data = draw()
    if args.check:
        with open(args.outfile, 'rb') as existing:
            if existing.read() != data:
                sys.exit(f'{args.outfile} differs from the drawing; run {sys.argv[0]} to rebuild it')
        return
    os.makedirs(os.path.dirname(args.outfile) or '.', exist_ok=True)
    with open(args.outfile, 'wb') as out:
        out.write(data)


if __name__ == '__main__':
    main()
