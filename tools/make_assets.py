#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Draws the program's pictures and writes them into app/resources/.

    tools/make_assets.py           write the files
    tools/make_assets.py --check   exit 1 when a written file differs from what would be drawn now

Everything is drawn here from plain shapes and a small 5x7 pixel font, so the files are
reproducible byte for byte and need nothing beyond the Python standard library:

    splash.bmp        the splash picture: Windows bitmap, 40-byte information header, 416 x 309,
                      24 bits per pixel, rows bottom-up, 3780 pixels per metre, 385,686 bytes
    velmora.ico       the icon group: 32 x 32 in two colours, 32 x 32 and 16 x 16 in 16 colours
                      (bitmap entries with their transparency masks)
    velmora-256.png   the 32 x 32 icon enlarged eight times, for the desktop entry
"""
import math
import struct
import sys
import zlib
from pathlib import Path

OUT = Path(__file__).resolve().parent.parent / "app" / "resources"

# ---------------------------------------------------------------------------------------------
# A 5 x 7 pixel font: just the characters the pictures use.
GLYPHS = {
    "A": [".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"],
    "B": ["####.", "#...#", "#...#", "####.", "#...#", "#...#", "####."],
    "C": [".###.", "#...#", "#....", "#....", "#....", "#...#", ".###."],
    "D": ["####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."],
    "E": ["#####", "#....", "#....", "####.", "#....", "#....", "#####"],
    "F": ["#####", "#....", "#....", "####.", "#....", "#....", "#...."],
    "G": [".###.", "#...#", "#....", "#.###", "#...#", "#...#", ".####"],
    "I": [".###.", "..#..", "..#..", "..#..", "..#..", "..#..", ".###."],
    "K": ["#...#", "#..#.", "#.#..", "##...", "#.#..", "#..#.", "#...#"],
    "L": ["#....", "#....", "#....", "#....", "#....", "#....", "#####"],
    "M": ["#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"],
    "N": ["#...#", "#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#"],
    "O": [".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
    "P": ["####.", "#...#", "#...#", "####.", "#....", "#....", "#...."],
    "R": ["####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"],
    "S": [".####", "#....", "#....", ".###.", "....#", "....#", "####."],
    "T": ["#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."],
    "U": ["#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
    "V": ["#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#.."],
    "W": ["#...#", "#...#", "#...#", "#.#.#", "#.#.#", "#.#.#", ".#.#."],
    "X": ["#...#", "#...#", ".#.#.", "..#..", ".#.#.", "#...#", "#...#"],
    "1": ["..#..", ".##..", "..#..", "..#..", "..#..", "..#..", ".###."],
    "2": [".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"],
    "3": ["####.", "....#", "....#", ".###.", "....#", "....#", "####."],
    "4": ["...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."],
    ":": [".....", "..#..", "..#..", ".....", "..#..", "..#..", "....."],
    "-": [".....", ".....", ".....", ".###.", ".....", ".....", "....."],
    " ": [".....", ".....", ".....", ".....", ".....", ".....", "....."],
    "a": [".....", ".....", ".###.", "....#", ".####", "#...#", ".####"],
    "e": [".....", ".....", ".###.", "#...#", "#####", "#....", ".###."],
    "l": [".##..", "..#..", "..#..", "..#..", "..#..", "..#..", ".###."],
    "m": [".....", ".....", "##.#.", "#.#.#", "#.#.#", "#.#.#", "#.#.#"],
    "o": [".....", ".....", ".###.", "#...#", "#...#", "#...#", ".###."],
    "r": [".....", ".....", "#.##.", "##..#", "#....", "#....", "#...."],
}


def text_width(text, scale):
    return len(text) * 6 * scale - scale


class Canvas:
    """An RGB picture, rows top-down, with the few drawing operations the pictures need."""

    def __init__(self, width, height, colour=(0, 0, 0)):
        self.width, self.height = width, height
        self.pixels = [[colour] * width for _ in range(height)]

    def put(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y][x] = colour

    def get(self, x, y):
        return self.pixels[y][x]

    def rect(self, x0, y0, x1, y1, colour):
        """Fills the rectangle with corners (x0, y0) and (x1, y1), both included."""
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.put(x, y, colour)

    def frame(self, x0, y0, x1, y1, colour):
        self.rect(x0, y0, x1, y0, colour)
        self.rect(x0, y1, x1, y1, colour)
        self.rect(x0, y0, x0, y1, colour)
        self.rect(x1, y0, x1, y1, colour)

    def text(self, x0, y0, text, scale, colour):
        for i, ch in enumerate(text):
            for gy, row in enumerate(GLYPHS[ch]):
                for gx, bit in enumerate(row):
                    if bit == "#":
                        x = x0 + (i * 6 + gx) * scale
                        y = y0 + gy * scale
                        self.rect(x, y, x + scale - 1, y + scale - 1, colour)

    def centred_text(self, y0, text, scale, colour, width=None):
        width = self.width if width is None else width
        self.text((width - text_width(text, scale)) // 2, y0, text, scale, colour)


def speckle(x, y, salt=0):
    """A fixed pseudo-random byte per pixel, for the grain of sand and clay."""
    h = (x * 73856093) ^ (y * 19349663) ^ (salt * 83492791)
    h = (h ^ (h >> 13)) * 1274126177
    return (h >> 16) & 0xFF


def mix(a, b, t):
    return tuple(round(a[i] + (b[i] - a[i]) * t) for i in range(3))


# ---------------------------------------------------------------------------------------------
# The splash picture: a cross-section through an aquifer below a waste site, with one
# up-gradient (background) well and three down-gradient (compliance) wells.
SPLASH_W, SPLASH_H = 416, 309
VISIBLE_W, VISIBLE_H = 415, 308    # the window shows all but the last column and row
GROUND = 100


def water_table(x):
    return 160 + (x * 22) // VISIBLE_W


def clay_top(x):
    return 252 + round(4 * math.sin(x / 37.0))


def draw_well(c, cx):
    wt = water_table(cx)
    outline = (55, 58, 70)
    casing = (226, 228, 234)
    # gravel pack and seal around the screen
    for y in range(wt - 16, wt + 56):
        for x in range(cx - 8, cx + 8):
            grain = speckle(x, y, 7)
            c.put(x, y, (232, 214, 168) if grain > 70 else (196, 170, 120))
    c.rect(cx - 8, wt - 24, cx + 7, wt - 17, (112, 96, 84))
    # riser pipe from above the ground down to the screen
    c.rect(cx - 3, GROUND - 12, cx + 3, wt - 10, casing)
    c.rect(cx - 4, GROUND - 12, cx - 4, wt - 10, outline)
    c.rect(cx + 4, GROUND - 12, cx + 4, wt - 10, outline)
    # slotted screen across the water table
    for y in range(wt - 9, wt + 51):
        c.rect(cx - 4, y, cx + 4, y, outline if (y - wt) % 3 == 0 else (190, 192, 200))
    c.rect(cx - 4, wt + 51, cx + 4, wt + 53, outline)
    # protective stick-up with its lid
    c.rect(cx - 6, GROUND - 14, cx + 6, GROUND - 1, (88, 92, 108))
    c.rect(cx - 5, GROUND - 13, cx - 4, GROUND - 2, (130, 136, 154))
    c.rect(cx - 7, GROUND - 16, cx + 7, GROUND - 15, (40, 42, 52))
    # the water level inside the well
    c.rect(cx - 3, wt, cx + 3, wt, (30, 80, 200))


def draw_water_table_mark(c, x):
    y = water_table(x) - 8
    blue = (20, 60, 170)
    for row in range(5):
        c.rect(x - 4 + row, y + row, x + 4 - row, y + row, blue)


def draw_arrow(c, x0, x1, y, colour):
    c.rect(x0, y - 1, x1 - 6, y + 1, colour)
    for i in range(7):
        c.rect(x1 - 6 + i, y - 6 + i, x1 - 6 + i, y + 6 - i, colour)


def splash():
    c = Canvas(SPLASH_W, SPLASH_H)
    # sky
    for y in range(GROUND):
        c.rect(0, y, SPLASH_W - 1, y, mix((52, 96, 168), (198, 222, 242), y / (GROUND - 1)))
    for (cx, cy, rx, ry) in ((36, 34, 26, 7), (52, 28, 16, 7), (372, 60, 30, 7), (388, 54, 16, 6)):
        for y in range(cy - ry, cy + ry + 1):
            for x in range(cx - rx, cx + rx + 1):
                if ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0:
                    c.put(x, y, mix(c.get(x, y), (250, 252, 255), 0.75))
    # ground surface, the waste site's low mound, the unsaturated and saturated zones, the clay
    for x in range(SPLASH_W):
        wt, clay = water_table(x), clay_top(x)
        for y in range(GROUND, SPLASH_H):
            g = speckle(x, y)
            if y < GROUND + 5:
                colour = (58, 132, 58) if g > 60 else (40, 104, 44)
            elif y < wt:
                colour = (206, 176, 126) if g > 40 else (176, 146, 100)
            elif y < clay:
                colour = (150, 178, 206) if g > 50 else (124, 152, 186)
            else:
                colour = (134, 108, 96) if (x + y) % 9 else (108, 86, 78)
            c.put(x, y, colour)
    for x in range(104, 204):
        top = GROUND - round(11 * math.sin(math.pi * (x - 104) / 100))
        for y in range(top, GROUND):
            c.put(x, y, (96, 138, 70) if speckle(x, y, 3) > 50 else (76, 118, 58))
        c.put(x, top, (52, 86, 44))
    # the water table: a dashed line and its mark
    for x in range(SPLASH_W):
        if x % 9 < 6:
            c.put(x, water_table(x), (20, 60, 170))
    # groundwater flow
    navy = (22, 40, 110)
    c.text(92, 216, "GROUNDWATER FLOW", 1, navy)
    draw_arrow(c, 92, 150, 230, navy)
    draw_arrow(c, 160, 214, 230, navy)
    # wells
    brown = (84, 60, 40)
    for cx in (46, 238, 294, 350):
        draw_well(c, cx)
    draw_water_table_mark(c, 66)
    c.text(62, 116, "BACKGROUND WELL", 1, brown)
    c.text(228 - text_width("COMPLIANCE WELLS", 1), 132, "COMPLIANCE WELLS", 1, brown)
    # title and subtitles
    c.centred_text(11, "Velmora", 6, (24, 36, 84), VISIBLE_W + 6)
    c.centred_text(8, "Velmora", 6, (255, 255, 255), VISIBLE_W)
    c.centred_text(56, "DETECTION MONITORING DESIGN", 2, (20, 38, 96), VISIBLE_W)
    c.centred_text(74, "NON-PARAMETRIC MAXIMUM TESTS 1:1 - 1:4", 1, (36, 56, 112), VISIBLE_W)
    return c


def bmp24(c):
    row_bytes = (c.width * 3 + 3) & ~3
    image_size = row_bytes * c.height
    header = struct.pack("<2sIHHI", b"BM", 54 + image_size, 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, c.width, c.height, 1, 24, 0, image_size, 3780, 3780, 0, 0)
    rows = []
    for y in range(c.height - 1, -1, -1):       # bottom-up
        row = bytearray()
        for (r, g, b) in c.pixels[y]:
            row += bytes((b, g, r))
        row += b"\0" * (row_bytes - len(row))
        rows.append(bytes(row))
    return header + info + b"".join(rows)


# ---------------------------------------------------------------------------------------------
# The icon: one monitoring well standing in a block of ground, water below.
PALETTE16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
    (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
    (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, OLIVE, NAVY, SILVER, GREY, GREEN, BLUE, CYAN, WHITE, DGREEN = 0, 3, 4, 7, 8, 10, 12, 14, 15, 2
CLEAR = None


def icon_map(size):
    """The icon as palette indexes (None = transparent), drawn for 32 or 16 pixels."""
    s = size // 16          # 2 for 32 x 32, 1 for 16 x 16
    px = [[CLEAR] * size for _ in range(size)]

    def fill(x0, y0, x1, y1, v):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                px[y][x] = v

    top, bottom, left, right = 5 * s, size - 1 - (s - 1), 0, size - 1
    water = 9 * s + (s - 1)
    fill(left, top, right, bottom, BLACK)                       # outline
    fill(left + 1, top + 1, right - 1, top + s, DGREEN)         # grass
    fill(left + 1, top + s + 1, right - 1, water - 1, OLIVE)    # soil
    fill(left + 1, water, right - 1, bottom - 1, BLUE)          # saturated ground
    fill(left + 1, water, right - 1, water, CYAN)               # water table
    if s == 2:
        for y in range(top + 4, water - 1, 3):                  # grain of the soil
            for x in range(2 + (y % 2) * 2, right - 1, 5):
                px[y][x] = GREY
        for y in range(water + 3, bottom - 1, 3):
            for x in range(3 + (y % 2) * 2, right - 1, 6):
                px[y][x] = NAVY
    # the well: lid, riser and slotted screen
    cx0, cx1 = size // 2 - s, size // 2 + s - 1
    fill(cx0 - 1, s, cx1 + 1, top + s, BLACK)
    fill(cx0, s + 1, cx1, top + s - 1 if s == 2 else top, SILVER)
    fill(cx0 - 1, s - 1 if s == 2 else 0, cx1 + 1, s - 1 if s == 2 else 0, BLACK)
    fill(cx0 - 1, top + 1, cx1 + 1, bottom - 2 * s, BLACK)
    fill(cx0, top + 1, cx1, water - 1, WHITE if s == 1 else SILVER)
    for y in range(water, bottom - 2 * s):
        fill(cx0, y, cx1, y, WHITE if (y - water) % 2 == 0 else GREY)
    return px


def mono_map(size):
    """The two-colour icon: black lines on white, the saturated zone in a half-tone."""
    src = icon_map(size)
    out = [[CLEAR] * size for _ in range(size)]
    for y in range(size):
        for x in range(size):
            v = src[y][x]
            if v is CLEAR:
                continue
            if v in (BLACK, GREY, NAVY, DGREEN, CYAN):
                out[y][x] = 0
            elif v == BLUE:
                out[y][x] = 0 if (x + y) % 2 == 0 else 1
            else:
                out[y][x] = 1
    return out


def ico_entry(px, bits, palette):
    size = len(px)
    xor_row = ((size * bits + 31) // 32) * 4
    and_row = ((size + 31) // 32) * 4
    info = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, bits, 0,
                       (xor_row + and_row) * size, 0, 0, 0, 0)
    pal = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in palette)
    xor, mask = bytearray(), bytearray()
    for y in range(size - 1, -1, -1):
        row, mrow = [0] * (xor_row * 8), [0] * (and_row * 8)
        for x in range(size):
            v = px[y][x]
            if v is CLEAR:
                mrow[x] = 1           # transparent: the mask bit is set and the colour is 0
                v = 0
            for b in range(bits):
                row[x * bits + b] = (v >> (bits - 1 - b)) & 1
        xor += pack_bits(row)
        mask += pack_bits(mrow)
    return info + pal + bytes(xor) + bytes(mask)


def pack_bits(bits):
    return bytes(int("".join(map(str, bits[i:i + 8])), 2) for i in range(0, len(bits), 8))


def ico():
    entries = [
        (32, 2, 1, ico_entry(mono_map(32), 1, [(0, 0, 0), (255, 255, 255)])),
        (32, 16, 4, ico_entry(icon_map(32), 4, PALETTE16)),
        (16, 16, 4, ico_entry(icon_map(16), 4, PALETTE16)),
    ]
    out = struct.pack("<HHH", 0, 1, len(entries))
    offset = 6 + 16 * len(entries)
    for size, colours, bits, data in entries:
        out += struct.pack("<BBBBHHII", size, size, colours, 0, 1, bits, len(data), offset)
        offset += len(data)
    return out + b"".join(e[3] for e in entries)


def png_rgba(width, height, rgba_rows):
    def chunk(tag, data):
        return struct.pack(">I", len(data)) + tag + data + struct.pack(">I", zlib.crc32(tag + data))
    raw = b"".join(b"\0" + bytes(row) for row in rgba_rows)
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


def icon_png(scale=8):
    px = icon_map(32)
    rows = []
    for y in range(32 * scale):
        row = bytearray()
        for x in range(32 * scale):
            v = px[y // scale][x // scale]
            row += bytes((0, 0, 0, 0)) if v is CLEAR else bytes(PALETTE16[v] + (255,))
        rows.append(row)
    return png_rgba(32 * scale, 32 * scale, rows)


def main():
    files = {
        "splash.bmp": bmp24(splash()),
        "velmora.ico": ico(),
        "velmora-256.png": icon_png(),
    }
    assert len(files["splash.bmp"]) == 385686
    check = "--check" in sys.argv[1:]
    stale = []
    for name, data in files.items():
        path = OUT / name
        if check:
            if not path.exists() or path.read_bytes() != data:
                stale.append(name)
        else:
            path.write_bytes(data)
            print(f"wrote {path} ({len(data)} bytes)")
    if stale:
        print("out of date: " + ", ".join(stale) + " (run tools/make_assets.py)", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
