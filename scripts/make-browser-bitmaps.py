#!/usr/bin/env python3
"""Draws the five 16x16, 16-colour pictures of the network browser's list
(zenk32.dll bitmaps 800 to 804) and writes them as Windows 3 BMP files.

    scripts/make-browser-bitmaps.py [OUTPUT_DIR]   (default: library/resources)

The pictures are kept as text grids below, one character per pixel; the
files are committed, so this only runs when a picture changes.
"""
import os
import struct
import sys

# The standard 16-colour palette (index: (r, g, b)).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
# Grid characters: '.' is the picture's background colour.
INK = {'k': 0, 'n': 4, 't': 6, 's': 7, 'g': 8, 'y': 11, 'b': 12, 'w': 15}
CYAN, GREEN, RED = 14, 10, 9

# The pictures without their plus or minus marks.
CABLE = """
................
................
................
................
................
ssss........ssss
sggs........sggs
sggskkkkkkkksggs
sggskkkkkkkksggs
sggs........sggs
ssss........ssss
.yy..........yy.
.yy..........yy.
................
................
................
"""
STACK = """
................
......kkkkkkkk..
......kssssssk..
......ksnnnnsk..
...kkkkkkkkknsk.
...kssssssssksk.
...ksnnnnnnsksk.
...ksnbbbbnskkk.
...ksnbbbbnsk...
...ksnnnnnnsk...
...kssssssssk...
...kkkkkkkkkk...
.....kssssk.....
...kkkkkkkkkk...
...kssssssssk...
...kkkkkkkkkk...
"""
COMPUTER = """
................
..kkkkkkkkkkkk..
..kssssssssssk..
..ksnnnnnnnnsk..
..ksnbbbbbbnsk..
..ksnbwbbbbnsk..
..ksnbbbbbbnsk..
..ksnnnnnnnnsk..
..kssssssssssk..
..kkkkkkkkkkkk..
......kssk......
....kkkkkkkk....
.kkkkkkkkkkkkkk.
.kssssssssssgsk.
.kkkkkkkkkkkkkk.
................
"""
# Centres of the 3x3 marks drawn over a picture.
CABLE_MARKS = [(1, 1), (14, 1)]
STACK_MARKS = [(1, 1)]


def marked(grid, centres, plus):
    """The grid with a black minus, or plus, centred at each (x, y)."""
    rows = [list(r) for r in grid.strip("\n").split("\n")]
    for x, y in centres:
        for dx in (-1, 0, 1):
            rows[y][x + dx] = 'k'
        if plus:
            rows[y - 1][x] = rows[y + 1][x] = 'k'
    return "\n".join("".join(r) for r in rows)


PICTURES = [
    (800, "browser_network_collapsed.bmp", marked(CABLE, CABLE_MARKS, True), CYAN),
    (801, "browser_network_expanded.bmp", marked(CABLE, CABLE_MARKS, False), CYAN),
    (802, "browser_domain_collapsed.bmp", marked(STACK, STACK_MARKS, True), GREEN),
    (803, "browser_domain_expanded.bmp", marked(STACK, STACK_MARKS, False), GREEN),
    (804, "browser_server.bmp", COMPUTER, RED),
]


def rows_of(grid, background):
    rows = [line for line in grid.strip("\n").split("\n")]
    assert len(rows) == 16 and all(len(r) == 16 for r in rows), grid
    return [[background if c == '.' else INK[c] for c in row] for row in rows]


def bmp_bytes(pixels):
    """A bottom-up 4-bit BMP with a BITMAPINFOHEADER (what windres accepts)."""
    width = height = 16
    stride = ((width * 4 + 31) // 32) * 4
    data = bytearray()
    for row in reversed(pixels):
        packed = bytes((row[i] << 4) | row[i + 1] for i in range(0, width, 2))
        data += packed + b"\0" * (stride - len(packed))
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in PALETTE)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0, len(data), 2835, 2835, 16, 16)
    offset = 14 + len(info) + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    return header + info + palette + bytes(data)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "library", "resources")
    for number, name, grid, background in PICTURES:
        with open(os.path.join(out, name), "wb") as f:
            f.write(bmp_bytes(rows_of(grid, background)))
        print(f"{number} {name}")


if __name__ == "__main__":
    main()
