#!/usr/bin/env python3
"""Draws Velmira32's own pictures: icons 128 (application) and 129
(document) and toolbar bitmap 128 (eight 16x15 pictures in toolbar order: new,
open, save, cut, copy, paste, print, about).

Plain Python, no packages: writes .ico (32x32, 4-bit) and BMP3 (8-bit)
files next to this script. Run it again only to change the pictures.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))

# The 16-colour palette (RGB), the usual VGA order.
PALETTE = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
           (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
           (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
K, DR, DG, DY, DB, DM, DC, LG, GR, R, G, Y, B, M, C, W = range(16)


def canvas(w, h, fill):
    return [[fill] * w for _ in range(h)]


def rect(img, x0, y0, x1, y1, c, fill=None):
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            edge = x in (x0, x1) or y in (y0, y1)
            if edge:
                img[y][x] = c
            elif fill is not None:
                img[y][x] = fill


def line(img, x0, y0, x1, y1, c):
    n = max(abs(x1 - x0), abs(y1 - y0)) or 1
    for i in range(n + 1):
        img[round(y0 + (y1 - y0) * i / n)][round(x0 + (x1 - x0) * i / n)] = c


def app_icon():
    """A blue server cabinet with a yellow arrow going up and one going down."""
    img = canvas(32, 32, None)
    rect(img, 6, 3, 25, 28, K, DB)
    for y in (8, 14, 20):
        rect(img, 9, y, 22, y + 3, K, LG)
        img[y + 1][20] = G
    for i in range(6):  # up arrow
        line(img, 3 + i, 12 - i, 3 + i, 12 - i, Y)
    for y in range(7, 18):
        img[y][5] = Y
    return img


def doc_icon():
    """A sheet with log lines and a green connection mark."""
    img = canvas(32, 32, None)
    rect(img, 6, 2, 25, 29, K, W)
    line(img, 20, 2, 25, 7, K)
    for y in range(8, 26, 3):
        line(img, 9, y, 21 if y % 2 else 18, y, DB)
    rect(img, 17, 21, 23, 27, DG, G)
    return img


def toolbar():
    """Eight 16x15 pictures side by side, in the toolbar's button order."""
    w, h, n = 16, 15, 8
    img = canvas(w * n, h, LG)

    def r(i, x0, y0, x1, y1, c, fill=None):
        rect(img, x0 + i * w, y0, x1 + i * w, y1, c, fill)

    def l(i, x0, y0, x1, y1, c):
        line(img, x0 + i * w, y0, x1 + i * w, y1, c)

    # 0 new: a blank page with a folded corner
    r(0, 3, 1, 12, 13, K, W); l(0, 9, 1, 12, 4, K)
    # 1 open: a yellow folder
    r(1, 1, 5, 14, 12, K, Y); r(1, 2, 3, 6, 5, K, Y)
    # 2 save: a floppy disk
    r(2, 2, 1, 13, 13, K, DB); r(2, 4, 2, 11, 6, K, W); r(2, 5, 9, 10, 13, K, LG)
    # 3 cut: scissors
    l(3, 4, 1, 10, 9, K); l(3, 11, 1, 5, 9, K)
    r(3, 2, 9, 5, 12, DB); r(3, 10, 9, 13, 12, DB)
    # 4 copy: two pages
    r(4, 1, 1, 8, 9, K, W); r(4, 6, 5, 13, 13, K, W)
    # 5 paste: a clipboard with a page
    r(5, 2, 2, 11, 13, K, DY); r(5, 5, 1, 8, 3, K, LG); r(5, 7, 6, 13, 13, K, W)
    # 6 print: a printer
    r(6, 1, 6, 14, 11, K, LG); r(6, 4, 1, 11, 6, K, W); r(6, 4, 11, 11, 13, K, W); img[8][6 * w + 12] = G
    # 7 about: a blue circle with a question mark
    for y in range(15):
        for x in range(16):
            if (x - 7.5) ** 2 + (y - 7) ** 2 <= 42:
                img[y][7 * w + x] = B
    l(7, 6, 4, 9, 4, W); l(7, 9, 4, 9, 7, W); l(7, 8, 7, 8, 9, W); img[11][7 * w + 8] = W
    return img


def write_bmp8(path, img):
    h, w = len(img), len(img[0])
    stride = (w + 3) & ~3
    pixels = b"".join(bytes(row) + b"\0" * (stride - w) for row in reversed(img))
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE) + b"\0" * 4 * 240
    offset = 14 + 40 + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 8, 0, len(pixels), 2835, 2835, 256, 0)
    with open(path, "wb") as f:
        f.write(header + info + palette + pixels)


def write_ico(path, img):
    """One 32x32 4-bit image; None pixels are transparent."""
    h, w = len(img), len(img[0])
    xor = bytearray()
    for row in reversed(img):
        for x in range(0, w, 2):
            a, b = row[x] or 0, row[x + 1] or 0
            xor.append((a << 4) | b)
    mask = bytearray()
    for row in reversed(img):
        bits = 0
        for x in range(w):
            bits = (bits << 1) | (1 if row[x] is None else 0)
        mask += bits.to_bytes(w // 8, "big")
        mask += b"\0" * ((4 - (w // 8) % 4) % 4)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    info = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 4, 0, len(xor) + len(mask), 0, 0, 16, 0)
    data = info + palette + bytes(xor) + bytes(mask)
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", w, h, 16, 0, 1, 4, len(data), 22)
    with open(path, "wb") as f:
        f.write(directory + data)


if __name__ == "__main__":
    write_ico(os.path.join(HERE, "velmira32.ico"), app_icon())
    write_ico(os.path.join(HERE, "velmirdoc.ico"), doc_icon())
    write_bmp8(os.path.join(HERE, "toolbar.bmp"), toolbar())
