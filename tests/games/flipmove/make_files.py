#!/usr/bin/env python3
"""Writes screenshot.png: the base shown after the flip is black (colour 0) and holds only the green
8 x 8 box at (4, 4)."""
import struct
import zlib

rows = [[(0, 255, 0) if 4 <= x < 12 and 4 <= y < 12 else (0, 0, 0) for x in range(32)] for y in range(16)]
raw = b"".join(b"\x00" + b"".join(bytes(p) for p in r) for r in rows)
def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
with open("screenshot.png", "wb") as f:
    f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", 32, 16, 8, 2, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))
