#!/usr/bin/env python3
"""Writes app.ico: a 32x32 and a 16x16 image, 16 colours each.

The picture is a document sheet with a red cross over it: the data of the
application being removed. Run again to regenerate the committed file.
"""
import struct
import sys

# The standard 16-colour palette, listed as (red, green, blue); the bitmap
# stores each entry as blue, green, red, 0.
PALETTE = [
    (0, 0, 0), (0, 0, 128), (0, 128, 0), (0, 128, 128), (128, 0, 0), (128, 0, 128),
    (128, 128, 0), (192, 192, 192), (128, 128, 128), (0, 0, 255), (0, 255, 0),
    (0, 255, 255), (255, 0, 0), (255, 0, 255), (255, 255, 0), (255, 255, 255),
]
BLACK, NAVY, GREY, RED, WHITE = 0, 1, 8, 12, 15
TRANSPARENT = None


def picture(size):
    """Rows top to bottom of palette indices, or None for transparent."""
    s = size / 32
    px = [[TRANSPARENT] * size for _ in range(size)]
    left, right, top, bottom = round(5 * s), round(24 * s), round(2 * s), round(29 * s)
    fold = round(6 * s)
    for y in range(top, bottom + 1):
        for x in range(left, right + 1):
            if x > right - fold + (y - top):  # folded top-right corner
                continue
            edge = x in (left, right) or y in (top, bottom) or x == right - fold + (y - top)
            px[y][x] = BLACK if edge else WHITE
    for line in range(round(8 * s), round(22 * s), max(1, round(3 * s))):
        for x in range(left + round(3 * s), right - round(3 * s)):
            if px[line][x] == WHITE:
                px[line][x] = NAVY if size > 16 else GREY
    start, end = round(13 * s), size - 1
    width = 3 if size > 16 else 2
    for y in range(start, end + 1):
        for x in range(start, end + 1):
            if 0 <= x - y < width or 0 <= x + y - (start + end) < width:
                px[y][x] = RED
    return px


def image(size):
    px = picture(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b"".join(struct.pack("BBBB", b, g, r, 0) for (r, g, b) in PALETTE)
    xor = b""
    for row in reversed(px):
        nibbles = [0 if p is None else p for p in row]
        data = bytes((nibbles[i] << 4) | nibbles[i + 1] for i in range(0, size, 2))
        xor += data + b"\0" * (-len(data) % 4)
    mask = b""
    for row in reversed(px):
        bits = 0
        for p in row:
            bits = (bits << 1) | (p is None)
        data = bits.to_bytes(size // 8, "big")
        mask += data + b"\0" * (-len(data) % 4)
    return header + palette + xor + mask


def main(path):
    images = [(32, image(32)), (16, image(16))]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    out += b"".join(data for _, data in images)
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "app.ico")
