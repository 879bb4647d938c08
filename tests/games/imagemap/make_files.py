#!/usr/bin/env python3
"""Writes the pictures of this game (src/map.png, src/hover.png) and the screenshot it must end with
(screenshot.png): the grey map on black, with the white hover picture inside the rectangle of the
hovered region "mid" only (both pictures are opaque, so their masks copy)."""
import struct
import zlib


def png(path, w, h, pixels):
    raw = b"".join(b"\x00" + b"".join(bytes(p) for p in row) for row in pixels)
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 2, 0, 0, 0)) +
                chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


GREY, WHITE, BLACK = (100, 100, 100), (255, 255, 255), (0, 0, 0)
png("src/map.png", 30, 10, [[GREY] * 30 for _ in range(10)])
png("src/hover.png", 30, 10, [[WHITE] * 30 for _ in range(10)])
screen = [[BLACK] * 64 for _ in range(32)]
for y in range(10, 20):
    for x in range(10, 40):
        screen[y][x] = WHITE if 20 <= x <= 29 else GREY
png("screenshot.png", 64, 32, screen)
