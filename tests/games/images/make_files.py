#!/usr/bin/env python3
"""Writes the pictures of this game (src/pic.png, src/spr.png) and the screenshot the game must show
(screenshot.png). The expected pixels are worked out here from the blend rules of the player:
  fill alpha a:   out = (a * v + (255 - a) * d) >> 8 per channel, for pixels not already equal to v
  additive fill:  v scaled per channel by (alpha - 256) >> 8, then out = min(255, d + v)
  draw alpha a:   out = (a * s + (255 - a) * d) >> 8 for pixels whose source differs from d
  draw mask m:    255 copies, 0 skips, else out = ((255 - m) * d + m * s) >> 8
  draw additive:  out = min(255, d + ((level * s) >> 8)), level = alpha - 256
  stretched:      nearest sampling in 16.16 steps, blended with the alpha (255 included) as above
Run it from this folder; it needs nothing beyond Python's standard library."""
import struct
import zlib


def png(path, w, h, pixels, alpha=False):
    """pixels[y][x] = (r, g, b) or (r, g, b, a)."""
    raw = b""
    for row in pixels:
        raw += b"\x00" + b"".join(bytes(p) for p in row)
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    ihdr = struct.pack(">IIBBBBB", w, h, 8, 6 if alpha else 2, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + chunk(b"IDAT", zlib.compress(raw, 9)) +
                chunk(b"IEND", b""))


W, H = 160, 120
BG = (0x10, 0x20, 0x40)  # colour 0x402010
# Every row differs, so that rows read in a wrong order show.
PIC = [[(200, 100 + 20 * y, 50) if x < 4 else (20, 40, 80 + 30 * y) for x in range(8)] for y in range(4)]
YELLOW = (255, 255, 0)


def spr_alpha(x, y):
    if x in (0, 5) or y in (0, 5):
        return 0
    return 128 if x in (2, 3) and y in (2, 3) else 255


png("src/pic.png", 8, 4, PIC)
png("src/spr.png", 6, 6, [[YELLOW + (spr_alpha(x, y),) for x in range(6)] for y in range(6)], alpha=True)

screen = [[BG for _ in range(W)] for _ in range(H)]


def put(x, y, c):
    screen[y][x] = tuple(c)


def rect(l, t, w, h, f):
    for y in range(t, t + h):
        for x in range(l, l + w):
            put(x, y, f(x, y, screen[y][x]))


def alpha_blend(a, s, d):
    return d if s == d else tuple((a * sc + (255 - a) * dc) >> 8 for sc, dc in zip(s, d))


# Boxes. "opaque" is recoloured yellow by setprop; "frame" is deleted by objdel before the screenshot.
rect(10, 10, 20, 20, lambda x, y, d: YELLOW)
rect(40, 10, 20, 20, lambda x, y, d: alpha_blend(128, (0, 0, 255), d))
level = 300 - 256
add = tuple((c * level) >> 8 for c in (200, 100, 50))
rect(70, 10, 20, 20, lambda x, y, d: tuple(min(255, dc + v) for dc, v in zip(d, add)))
# A 3-pixel green frame with a transparent inside, drawn only while it exists: not in the picture.
# Its place shows the background.

# Images of pic.png (8 x 4).
rect(10, 50, 8, 4, lambda x, y, d: PIC[y - 50][x - 10])
rect(30, 50, 8, 4, lambda x, y, d: alpha_blend(128, PIC[y - 50][x - 30], d))
# Zoomed 2x: 16 x 8, source column (i * 32768) >> 16 = i / 2, blended at 255.
rect(50, 50, 16, 8, lambda x, y, d: alpha_blend(255, PIC[(y - 50) // 2][(x - 50) // 2], d))
# The sprite with its mask.
def masked(x, y, d):
    m = spr_alpha(x - 80, y - 50)
    if m == 0:
        return d
    if m == 255:
        return YELLOW
    return tuple(((255 - m) * dc + m * sc) >> 8 for sc, dc in zip(YELLOW, d))
rect(80, 50, 6, 6, masked)
# Additive at 384: level 128.
rect(100, 50, 8, 4, lambda x, y, d: tuple(min(255, dc + ((128 * sc) >> 8)) for sc, dc in zip(PIC[y - 50][x - 100], d)))
# Mirrored: the anchor is the right edge, so left 127 puts the picture at 120..127.
rect(120, 50, 8, 4, lambda x, y, d: PIC[y - 50][7 - (x - 120)])
# A quarter turn clockwise around the top-left pixel at (140, 80): screen (x, y) shows picture pixel
# (y - 80, 140 - x).
rect(137, 80, 4, 8, lambda x, y, d: PIC[140 - x][y - 80])
# A tile 30 x 10 at (10, 70): the picture repeated edge to edge.
rect(10, 70, 30, 10, lambda x, y, d: PIC[(y - 70) % 4][(x - 10) % 8])
# A tile scrolled by 3 with spaced copies every 12 pixels (drawn stretched: blended at 255).
def spaced(x, y, d):
    i = (x - 50 + 3) % 12
    return alpha_blend(255, PIC[(y - 70) % 4][i], d) if i < 8 else d
rect(50, 70, 40, 8, spaced)

png("screenshot.png", W, H, screen)
