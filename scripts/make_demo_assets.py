#!/usr/bin/env python3
"""Draws the demo's pictures (PNG files in demo/) from a tiny pixel font and a few gradients;
`vobetool build` turns them into layered images. Run it after a change: scripts/make_demo_assets.py"""
import math
import os
import struct
import zlib

FONT = {
    "A": ["01110", "10001", "10001", "11111", "10001", "10001", "10001"],
    "B": ["11110", "10001", "10001", "11110", "10001", "10001", "11110"],
    "E": ["11111", "10000", "10000", "11110", "10000", "10000", "11111"],
    "I": ["01110", "00100", "00100", "00100", "00100", "00100", "01110"],
    "L": ["10000", "10000", "10000", "10000", "10000", "10000", "11111"],
    "O": ["01110", "10001", "10001", "10001", "10001", "10001", "01110"],
    "P": ["11110", "10001", "10001", "11110", "10000", "10000", "10000"],
    "Q": ["01110", "10001", "10001", "10001", "10101", "10010", "01101"],
    "R": ["11110", "10001", "10001", "11110", "10100", "10010", "10001"],
    "S": ["01111", "10000", "10000", "01110", "00001", "00001", "11110"],
    "T": ["11111", "00100", "00100", "00100", "00100", "00100", "00100"],
    "U": ["10001", "10001", "10001", "10001", "10001", "10001", "01110"],
    "V": ["10001", "10001", "10001", "10001", "10001", "01010", "00100"],
    "Y": ["10001", "10001", "01010", "00100", "00100", "00100", "00100"],
    " ": ["00000"] * 7,
}


def png(path, w, h, rgba):
    raw = b"".join(b"\x00" + bytes(v for p in rgba[y * w:(y + 1) * w] for v in p) for y in range(h))
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0)) +
                chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def text(path, s, scale, top, bottom, shadow=True):
    """Pixel text with a vertical colour gradient from `top` to `bottom` and a soft drop shadow."""
    cols = 6 * len(s) - 1
    w, h = cols * scale + 2 * scale, 7 * scale + 2 * scale
    ink = [[False] * w for _ in range(h)]
    for i, ch in enumerate(s):
        for gy, row in enumerate(FONT[ch]):
            for gx, bit in enumerate(row):
                if bit == "1":
                    for y in range(scale):
                        for x in range(scale):
                            ink[gy * scale + y][(i * 6 + gx) * scale + x] = True
    px = []
    off = max(1, scale // 3)
    for y in range(h):
        t = min(1.0, y / (7 * scale))
        c = tuple(int(a + (b - a) * t) for a, b in zip(top, bottom))
        for x in range(w):
            if ink[y][x]:
                px.append(c + (255,))
            elif shadow and y >= off and x >= off and ink[y - off][x - off]:
                px.append((0, 0, 0, 120))
            else:
                px.append((0, 0, 0, 0))
    png(path, w, h, px)
    return w, h


def pattern(path):
    """A 32 x 32 tile of soft diagonal stripes in two blues."""
    px = []
    for y in range(32):
        for x in range(32):
            v = (math.sin((x + y) * math.pi / 16) + 1) / 2
            px.append((int(18 + 10 * v), int(28 + 16 * v), int(58 + 30 * v), 255))
    png(path, 32, 32, px)


def star(path, n):
    """A four-pointed star with soft edges."""
    px = []
    c = (n - 1) / 2
    for y in range(n):
        for x in range(n):
            dx, dy = abs(x - c), abs(y - c)
            d = (dx ** 0.5 + dy ** 0.5) ** 2 / c
            a = max(0.0, min(1.0, (1.15 - d) * 3))
            px.append((255, 240, 180, int(255 * a)))
    png(path, n, n, px)


if __name__ == "__main__":
    # The pictures belong beside the demo's pages; the script lives apart so the build does not pack it.
    os.chdir(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "demo"))
    pattern("back.png")
    star("star.png", 40)
    sizes = {
        "logo": text("logo.png", "VOBE", 12, (255, 220, 120), (230, 120, 40)),
        "player": text("player.png", "PLAYER", 4, (200, 220, 255), (140, 170, 230)),
        "start": text("start.png", "START", 3, (255, 255, 255), (210, 220, 240)),
        "about": text("about.png", "ABOUT", 3, (255, 255, 255), (210, 220, 240)),
        "quit": text("quit.png", "QUIT", 3, (255, 255, 255), (210, 220, 240)),
    }
    for k, (w, h) in sizes.items():
        print(k, w, h)
