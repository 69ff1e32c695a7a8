#!/usr/bin/env python3
"""Draw Scrivlet's icons and toolbar bitmaps and write them as resource files.

Usage: python3 res/draw_pictures.py [OUTDIR] [--check] [--preview FILE.png]

Everything is drawn from code so the pictures can be regenerated and diffed;
OUTDIR defaults to res/pictures beside this script.
"""
import argparse
import os
import struct
import sys
import zlib

# One letter per colour keeps the pixel grids below legible; the set stays close
# to the classic 16-colour palette so the toolbar matches Windows 2000 buttons.
LEGEND = {
    '.': None,
    'k': (0, 0, 0), 'K': (128, 128, 128), 'g': (192, 192, 192), 'w': (255, 255, 255),
    'b': (0, 0, 128), 'B': (48, 96, 200), 'y': (255, 255, 0), 'Y': (208, 168, 0),
    'r': (255, 0, 0), 'R': (128, 0, 0), 'a': (255, 136, 0),
    'c': (0, 128, 128), 'C': (176, 224, 248), 'G': (0, 255, 0),
    'n': (144, 96, 40), 'N': (200, 152, 88), 't': (240, 204, 150),
}

TOOLBAR = {
    'new': """
...kkkkkkkk.....
...kwwwwwwkk....
...kwwwwwwkwk...
...kwKKKKwkkkk..
...kwwwwwwwwwk..
...kwKKKKKKKwk..
...kwwwwwwwwwk..
...kwKKKKKKKwk..
...kwwwwwwwwwk..
...kwKKKKKKKwk..
...kwwwwwwwwwk..
...kwKKKKKwwwk..
...kwwwwwwwwwk..
...kwwwwwwwwwk..
...kkkkkkkkkkk..
................""",
    'open': """
.........bbb....
........b...b.b.
.............bb.
............bbb.
.kkkk...........
kwyyyk..........
kyYYYYkkkkkkk...
kyYYYYYYYYYYk...
kyYYkkkkkkkkkkkk
kyYkwyyyyyyyyyk.
kyYkyyyyyyyyyk..
kykyyyyyyyyyk...
kkyyyyyyyyyk....
kkkkkkkkkkk.....
................
................""",
    'save': """
kkkkkkkkkkkkkkk.
kckwwwwwwwwwkck.
kckwwwwwwwwwkck.
kckwKKKKKKKwkck.
kckwwwwwwwwwkck.
kckwKKKKKKKwkck.
kckwwwwwwwwwkck.
kcckkkkkkkkkcck.
kcccccccccccccck
kcccgggggggggcck
kcccggkkgggggcck
kcccggkkgggggcck
kcccggkkgggggcck
.kccggggggggggck
..kkkkkkkkkkkkkk
................""",
    'print': """
................
....kkkkkkkk....
....kwwwwwwk....
....kwKKKKwk....
....kwwwwwwk....
....kwKKKKwk....
.kkkkkkkkkkkkkk.
kwwwwwwwwwwwwwgk
kwggggggggggggKk
kwggggggggggGgKk
kwggggggggggggKk
kKKKKKKKKKKKKKKk
kkkkkkkkkkkkkkkk
..kwwwwwwwwwwk..
..kkkkkkkkkkkk..
................""",
    'cut': """
...k........k...
...kg......gk...
....kg....gk....
....kg....gk....
.....kg..gk.....
.....kg..gk.....
......kggk......
.......kk.......
......bKKb......
.....bb..bb.....
..bbbb....bbbb..
.bb..bb..bb..bb.
.b....b..b....b.
.bb..bb..bb..bb.
..bbbb....bbbb..
................""",
    'copy': """
kkkkkkk.........
kwwwwwkk........
kwKKKwkwk.......
kwwwwwkkkk......
kwKKKKKKwk......
kwwwwkkkkkkkk...
kwKKwkwwwwwwkk..
kwwwwkwKKKKwkwk.
kwKKwkwwwwwwkkkk
kwwwwkwKKKKKKKwk
kkkkkkwwwwwwwwwk
.....kwKKKKKKKwk
.....kwwwwwwwwwk
.....kwKKKKwwwwk
.....kwwwwwwwwwk
.....kkkkkkkkkkk""",
    'paste': """
....kkkk........
kkkkgkkgkkkk....
knNkggggkNnk....
knNkkkkkkNnk....
knNNNNNNNNnk....
knNNNNkkkkkkk...
knNNNNkwwwwwkk..
knNNNNkwKKKwkwk.
knNNNNkwwwwwkkkk
knNNNNkwKKKKKKwk
knNNNNkwwwwwwwwk
knNNNNkwKKKKKKwk
knNNNNkwwwwwwwwk
knnnnnkwKKKKwwwk
kkkkkkkwwwwwwwwk
......kkkkkkkkkk""",
    'find': """
kkkkkkk.........
kwwwwwkk........
kwKKKwkwk.......
kwwwwwkkkk......
kwKKKKKKwk......
kwwwwwwwwk......
kwKKKKwwwkkk....
kwwwwwwwkCCCk...
kwKKKKwkCwCCCk..
kwwwwwwkCCCCCk..
kwKKKwwkCCCCCk..
kwwwwwwwkCCCk...
kwwwwwwwwkkkkk..
kkkkkkkkkk..kKk.
.............kKk
..............kk""",
    'ontop': """
kkkkkkkkkkk.....
kKKKKKKKKKk.....
kKKKKKKKKKk.....
kwwwwwwwwwk.....
kwwwwwwwwwk.....
kwwwwkkkkkkkkkkk
kwwwwkbbbbbbBwBk
kwwwwkbbbbbbBBBk
kwwwwkwwwwwwwwwk
kwwwwkwwwwwwwwwk
kkkkkkwwwwwwwwwk
.....kwwwwwwwwwk
.....kwwwwwwwwwk
.....kwwwwwwwwwk
.....kwwwwwwwwwk
.....kkkkkkkkkkk""",
}

APP16 = """
..kkkkkkkk......
..kwwwwwwkk.....
..kwBBBBwkgk....
..kwwwwwwkkkk...
..kwBBBBBBBwk.kk
..kwwwwwwwwwkrrk
..kwKKKKKKwkgKk.
..kwwwwwwwkyYk..
..kwBBBBBkyYk...
..kwwwwwkyYkk...
..kwKKKkyYkwk...
..kwwwkttkwwk...
..kwwktkwwwwk...
..kwkkwwwwwwk...
..kwwwwwwwwwk...
..kkkkkkkkkkk..."""

DOC16 = """
..kkkkkkkk......
..kwwwwwwkk.....
..kwKKKKwkgk....
..kwwwwwwkkkk...
..kwKKKKKKKwk...
..kwwwwwwwwwk...
..kwKKKKKKKwk...
..kwwwwwwwwwk...
..kwKKKKKKKwk...
..kwwwwwkkkkkkk.
..kwKKKwkwwwwwk.
..kwwwwwkaawaak.
..kwKKKwkaawaak.
..kwwwwwkaawaak.
..kwwwwwkaaaaak.
..kkkkkkkkkkkkk."""


def grid(text):
    rows = text.split()
    assert len({len(r) for r in rows}) == 1, 'ragged pixel grid'
    return [[LEGEND[ch] for ch in row] for row in rows]


def rect(c, x0, y0, x1, y1, col):
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            c[y][x] = col


def page(c, x0, y0, x1, y1, fold, line_cols):
    k, w = LEGEND['k'], LEGEND['w']
    rect(c, x0, y0, x1, y1, k)
    rect(c, x0 + 1, y0 + 1, x1 - 1, y1 - 1, w)
    fx = x1 - fold
    for i in range(fold + 1):
        for x in range(fx, x1 + 1):
            c[y0 + i][x] = (None if x > fx + i else k if x in (fx, fx + i)
                            else LEGEND['g'])
    rect(c, fx, y0 + fold, x1, y0 + fold, k)
    # Ragged right ends make the stripes read as prose rather than a table.
    ends = [0, 3, 1, 5, 2, 0, 4, 1]
    for n, y in enumerate(range(y0 + 4, y1 - 2, 3)):
        right = (fx - 2 if y <= y0 + fold else x1 - 3) - ends[n % len(ends)]
        rect(c, x0 + 3, y, right, y, line_cols[n % len(line_cols)])


def pen(c, tx, ty, length, half):
    """A pencil lying at 45 degrees, its point at (tx, ty), rising to the right.

    u runs along the pencil and v across it (both in half-diagonal steps), so
    the bands for lead, wood, paint, ferrule and eraser come out square to it.
    """
    def body(x, y):
        u, v = (x - tx) - (y - ty), (x - tx) + (y - ty)
        if u < 0 or u > length or abs(v) > min(half, u // 2):
            return None
        if u < 3:
            return 'K'
        if u < 2 * half + 2:
            return 't'
        if u > length - 4:
            return 'r' if v <= 0 else 'R'
        if u > length - 8:
            return 'g' if v <= 0 else 'K'
        return 'y' if v <= 0 else 'Y'
    h, w = len(c), len(c[0])
    inside = {(x, y): body(x, y) for y in range(h) for x in range(w) if body(x, y)}
    for (x, y), ch in inside.items():
        edge = any((x + dx, y + dy) not in inside
                   for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
        c[y][x] = LEGEND['k' if edge else ch]


def app32():
    c = [[None] * 32 for _ in range(32)]
    page(c, 3, 0, 25, 31, 7, [LEGEND['B'], LEGEND['B'], LEGEND['K']])
    pen(c, 10, 29, 38, 3)
    return c


def doc32():
    c = [[None] * 32 for _ in range(32)]
    page(c, 3, 0, 25, 31, 7, [LEGEND['K']])
    k, a, w = LEGEND['k'], LEGEND['a'], LEGEND['w']
    rect(c, 15, 17, 30, 31, k)
    rect(c, 16, 18, 29, 30, a)
    for x, y in ((15, 17), (30, 17), (15, 31), (30, 31)):
        c[y][x] = None  # rounded corners
    for x, y in ((16, 18), (29, 18), (16, 30), (29, 30)):
        c[y][x] = k
    rect(c, 18, 20, 27, 22, w)  # a bold "T" says "text" at a glance
    rect(c, 21, 23, 24, 28, w)
    return c


# The status icons' sizes: 12 px at 96 dpi, scaled for 120, 144 and 192 dpi.
STATUS_SIZES = (12, 15, 18, 24)
# The toolbar's picture sizes: 16 px at 96 dpi, and 24 and 32 for the program
# to take the largest not above its scaled size.
TOOLBAR_SIZES = (16, 24, 32)


def tile(band, size=12):
    """Grey tile, dark right and bottom edge, coloured band across the top;
    edge and band grow with the size (1 and 2 px at 12, as MulDiv rounds)."""
    grey, dark = (192, 192, 192), (96, 96, 96)
    edge, bandh = max(1, size // 12), (2 * size + 6) // 12
    last = size - 1
    c = [[grey] * size for _ in range(size)]
    rect(c, size - edge, 0, last, last, dark)
    rect(c, 0, size - edge, last, last, dark)
    rect(c, 0, 0, last, bandh - 1, band)
    return c


def scale2x(img):
    """EPX/Scale2x: twice the size, edges kept sharp, no new colours."""
    h, w = len(img), len(img[0])
    at = lambda x, y, p: img[y][x] if 0 <= x < w and 0 <= y < h else p
    out = [[None] * (2 * w) for _ in range(2 * h)]
    for y in range(h):
        for x in range(w):
            p = img[y][x]
            a, b, c, d = at(x, y - 1, p), at(x + 1, y, p), at(x - 1, y, p), at(x, y + 1, p)
            out[2 * y][2 * x] = a if c == a and c != d and a != b else p
            out[2 * y][2 * x + 1] = b if a == b and a != c and b != d else p
            out[2 * y + 1][2 * x] = c if d == c and d != b and c != a else p
            out[2 * y + 1][2 * x + 1] = d if b == d and b != a and d != c else p
    return out


def scale3x(img):
    """Scale3x: three times the size, edges kept sharp, no new colours."""
    h, w = len(img), len(img[0])
    out = [[None] * (3 * w) for _ in range(3 * h)]
    for y in range(h):
        for x in range(w):
            e = img[y][x]
            n = lambda dx, dy: img[y + dy][x + dx] if 0 <= x + dx < w and 0 <= y + dy < h else e
            a, b, c, d, f, g, hh, i = n(-1, -1), n(0, -1), n(1, -1), n(-1, 0), n(1, 0), n(-1, 1), n(0, 1), n(1, 1)
            if b != hh and d != f:
                px = [d if d == b else e,
                      b if (d == b and e != c) or (b == f and e != a) else e,
                      f if b == f else e,
                      d if (d == b and e != g) or (d == hh and e != a) else e,
                      e,
                      f if (b == f and e != i) or (hh == f and e != c) else e,
                      d if d == hh else e,
                      hh if (d == hh and e != i) or (hh == f and e != g) else e,
                      f if hh == f else e]
            else:
                px = [e] * 9
            for k, v in enumerate(px):
                out[3 * y + k // 3][3 * x + k % 3] = v
    return out


def toolbar_picture(art, size):
    """The 16 px pixel grid at 16, 24 or 32 px: 32 is Scale2x of it, 24 every
    other pixel of its Scale3x (crisp 1.5 times). Never a blurred stretch."""
    img = grid(art)
    if size == 32:
        return scale2x(img)
    if size == 24:
        big = scale3x(img)
        return [row[::2] for row in big[::2]]
    return img


# ---------------------------------------------------------------- writers

def ico_bytes(images):
    """An .ico of 8-bit palette images; None pixels become AND-mask holes."""
    entries, blobs = [], []
    offset = 6 + 16 * len(images)
    for img in images:
        h, w = len(img), len(img[0])
        # Black first: transparent pixels must be XOR-neutral (index 0 = black).
        palette = [(0, 0, 0)]
        for row in img:
            for p in row:
                if p is not None and p not in palette:
                    palette.append(p)
        assert len(palette) <= 256
        index = {p: i for i, p in enumerate(palette)}
        pal = b''.join(struct.pack('<4B', b, g, r, 0) for r, g, b in palette)
        pal += b'\0' * (1024 - len(pal))
        xstride, mstride = (w + 3) & ~3, ((w + 31) // 32) * 4
        xor, mask = bytearray(), bytearray()
        for row in reversed(img):
            xor += bytes(index.get(p, 0) for p in row) + bytes(xstride - w)
            bits = bytearray(mstride)
            for x in (x for x, p in enumerate(row) if p is None):
                bits[x // 8] |= 0x80 >> (x % 8)
            mask += bits
        hdr = struct.pack('<IiiHHIIiiII', 40, w, 2 * h, 1, 8, 0,
                          len(xor) + len(mask), 0, 0, 0, 0)
        blob = hdr + pal + bytes(xor) + bytes(mask)
        entries.append(struct.pack('<BBBBHHII', w % 256, h % 256, 0, 0, 1, 8,
                                   len(blob), offset))
        blobs.append(blob)
        offset += len(blob)
    return struct.pack('<HHH', 0, 1, len(images)) + b''.join(entries) + b''.join(blobs)


def bmp_bytes(img):
    h, w = len(img), len(img[0])
    stride = (w * 3 + 3) & ~3
    data = b''.join(bytes(v for r, g, b in row for v in (b, g, r)) + bytes(stride - w * 3)
                    for row in reversed(img))
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    return struct.pack('<2sIHHI', b'BM', 14 + 40 + len(data), 0, 0, 54) + info + data


def all_files():
    files = {
        'app.ico': ico_bytes([grid(APP16), app32()]),
        'document.ico': ico_bytes([grid(DOC16), doc32()]),
        'saved.ico': ico_bytes([tile((0, 255, 0), n) for n in STATUS_SIZES]),
        'unsaved.ico': ico_bytes([tile((255, 0, 0), n) for n in STATUS_SIZES]),
    }
    black, white = (0, 0, 0), (255, 255, 255)
    for name, art in TOOLBAR.items():
        for size in TOOLBAR_SIZES:
            img = toolbar_picture(art, size)
            stem = 'tb_%s' % name if size == 16 else 'tb_%s_%d' % (name, size)
            files[stem + '.bmp'] = bmp_bytes([[p or black for p in r] for r in img])
            files[stem + '_mask.bmp'] = bmp_bytes(
                [[white if p is None else black for p in r] for r in img])
    return files


# ---------------------------------------------------------------- readers

def read_bmp(data):
    magic, size, _, _, off = struct.unpack_from('<2sIHHI', data)
    hsize, w, h, planes, bpp, comp = struct.unpack_from('<IiiHHI', data, 14)
    assert magic == b'BM' and size == len(data) and off == 54, 'bad BMP file header'
    assert (hsize, planes, bpp, comp) == (40, 1, 24, 0), 'bad BMP info header'
    assert w == h and w in TOOLBAR_SIZES, 'BMP is %d x %d' % (w, h)
    stride = (w * 3 + 3) & ~3
    rows = []
    for y in range(h):
        base = off + (h - 1 - y) * stride
        rows.append([tuple(data[base + 3 * x:base + 3 * x + 3][::-1]) for x in range(w)])
    return rows


def read_ico(data):
    """Decodes every image of an 8-bit .ico; AND-mask holes come back as None."""
    reserved, kind, count = struct.unpack_from('<HHH', data)
    assert (reserved, kind) == (0, 1), 'not an icon file'
    out = []
    for n in range(count):
        bw, bh, ncol, res, planes, bpp, size, off = struct.unpack_from('<BBBBHHII', data, 6 + 16 * n)
        assert (ncol, res, planes, bpp) == (0, 0, 1, 8), 'bad ICONDIRENTRY'
        hsize, w, h2, pl, bits, comp, _, _, _, used = struct.unpack_from('<IiiHHIIiiI', data, off)
        assert (hsize, pl, bits, comp) == (40, 1, 8, 0), 'bad icon BITMAPINFOHEADER'
        assert used in (0, 256), 'palette is not 256 colours'
        assert (w, h2) == (bw or 256, 2 * (bh or 256)), 'icon height not doubled'
        h = h2 // 2
        xstride, mstride = (w + 3) & ~3, ((w + 31) // 32) * 4
        pal_off = off + 40
        assert size == 40 + 1024 + h * (xstride + mstride), 'icon image size wrong'
        assert off + size <= len(data), 'icon image truncated'
        pal = [tuple(data[pal_off + 4 * i:pal_off + 4 * i + 3][::-1]) for i in range(256)]
        xor_off, mask_off = pal_off + 1024, pal_off + 1024 + h * xstride
        img = []
        for y in range(h):
            ry = h - 1 - y
            row = []
            for x in range(w):
                idx = data[xor_off + ry * xstride + x]
                hole = data[mask_off + ry * mstride + x // 8] & (0x80 >> (x % 8))
                assert not hole or pal[idx] == (0, 0, 0), 'transparent pixel not black'
                row.append(None if hole else pal[idx])
            img.append(row)
        out.append(img)
    return out


def check(outdir):
    failures = []

    def expect(cond, msg):
        if not cond:
            failures.append(msg)
    fresh = all_files()
    on_disk = set(os.listdir(outdir))
    expect(on_disk == set(fresh), 'missing %s, unexpected %s'
           % (sorted(set(fresh) - on_disk), sorted(on_disk - set(fresh))))
    for name, want in sorted(fresh.items()):
        try:
            data = open(os.path.join(outdir, name), 'rb').read()
            expect(data == want, '%s: not what this script draws now' % name)
            if name.endswith('.ico'):
                imgs = read_ico(data)
                sizes = [len(i) for i in imgs]
                expect(sizes == (list(STATUS_SIZES) if name in ('saved.ico', 'unsaved.ico')
                                 else [16, 32]),
                       '%s: image sizes %s' % (name, sizes))
                for img in imgs if name in ('saved.ico', 'unsaved.ico') else []:
                    n = len(img)
                    bandh = (2 * n + 6) // 12
                    band = (0, 255, 0) if name == 'saved.ico' else (255, 0, 0)
                    expect(all(p == band for r in img[:bandh] for p in r), '%s %d: top band' % (name, n))
                    e = max(1, n // 12)
                    face = [img[y][x] for y in range(bandh, n - e) for x in range(n - e)]
                    edge = [img[y][x] for y in range(bandh, n) for x in range(n) if x >= n - e or y >= n - e]
                    grey = lambda p: p is not None and p[0] == p[1] == p[2]
                    expect(all(grey(p) for p in face + edge), '%s %d: tile not grey' % (name, n))
                    expect(all(grey(p) and p[0] < min(q[0] for q in face) for p in edge),
                           '%s %d: right/bottom edge not darker than face' % (name, n))
            else:
                img = read_bmp(data)
                if name.endswith('_mask.bmp'):
                    flat = [p for r in img for p in r]
                    expect(set(flat) <= {(0, 0, 0), (255, 255, 255)}, name + ': mask not b/w')
                    expect({(0, 0, 0), (255, 255, 255)} <= set(flat),
                           name + ': mask is blank or full')
                    pic = read_bmp(open(os.path.join(outdir, name[:-9] + '.bmp'), 'rb').read())
                    expect(all(pic[y][x] == (0, 0, 0) for y in range(16) for x in range(16)
                               if img[y][x] == (255, 255, 255)),
                           name + ': image not black under transparent mask')
        except (AssertionError, struct.error, IndexError, OSError) as e:
            failures.append('%s: %s' % (name, e))
    for f in failures:
        print('FAIL', f)
    print('%d files checked, %d failures' % (len(fresh), len(failures)))
    return not failures


# ---------------------------------------------------------------- preview

def png_bytes(rows):
    raw = b''.join(b'\0' + bytes(v for p in row for v in p) for row in rows)
    def chunk(kind, body):
        return struct.pack('>I', len(body)) + kind + body + struct.pack('>I', zlib.crc32(kind + body))
    ihdr = struct.pack('>IIBBBBB', len(rows[0]), len(rows), 8, 2, 0, 0, 0)
    return b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', ihdr) + chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b'')


def preview(outdir, path):
    """Pictures re-read from disk, so the preview shows what Windows will load."""
    bg = (212, 208, 200)  # the Windows 2000 button face
    pics = []
    load = lambda name: open(os.path.join(outdir, name), 'rb').read()
    big = []
    for name in TOOLBAR:
        for stem, into in (('tb_%s' % name, pics), ('tb_%s_24' % name, big), ('tb_%s_32' % name, big)):
            img, mask = read_bmp(load(stem + '.bmp')), read_bmp(load(stem + '_mask.bmp'))
            into.append([[None if m == (255, 255, 255) else p for p, m in zip(r, mr)]
                         for r, mr in zip(img, mask)])
    icons = []
    for name in ('app.ico', 'document.ico', 'saved.ico', 'unsaved.ico'):
        icons += read_ico(load(name))
    lines = [[(p, 8) for p in pics], [(p, 1) for p in pics] + [(p, 2) for p in pics],
             [(p, 1) for p in big], [(p, 4) for p in big[:6]],
             [(p, 8) for p in icons], [(p, 1) for p in icons] + [(p, 2) for p in icons]]
    width = max(sum(len(p[0]) * s + 8 for p, s in ln) for ln in lines) + 8
    canvas = []
    for ln in lines:
        height = max(len(p) * s for p, s in ln) + 8
        block = [[bg] * width for _ in range(height)]
        x0 = 8
        for p, s in ln:
            for y in range(len(p) * s):
                for x in range(len(p[0]) * s):
                    block[4 + y][x0 + x] = p[y // s][x // s] or bg
            x0 += len(p[0]) * s + 8
        canvas += block
    with open(path, 'wb') as f:
        f.write(png_bytes(canvas))


def main(argv):
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument('outdir', nargs='?',
                    default=os.path.join(os.path.dirname(os.path.abspath(__file__)), 'pictures'))
    ap.add_argument('--check', action='store_true', help='verify the files instead of writing')
    ap.add_argument('--preview', metavar='PNG', help='also render an 8x preview sheet')
    opt = ap.parse_args(argv)
    ok = True
    if opt.check:
        ok = check(opt.outdir)
    else:
        os.makedirs(opt.outdir, exist_ok=True)
        files = all_files()
        for name, data in files.items():
            with open(os.path.join(opt.outdir, name), 'wb') as f:
                f.write(data)
        print('wrote %d files to %s' % (len(files), opt.outdir))
    if opt.preview:
        preview(opt.outdir, opt.preview)
    return 0 if ok else 1


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
