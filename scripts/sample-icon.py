#!/usr/bin/env python3
"""Writes sample/hello.ico, the sample's icon: a blue rounded square with a
white "H", as 16, 32 and 48 pixel bitmaps (32 bits, with alpha and mask) and
a 256 pixel PNG, the form Windows takes for its largest icons. Python's
standard library only; the output is the same on every run."""
import os
import struct
import zlib

BLUE = (0x1E, 0x6F, 0xD9)
WHITE = (0xFF, 0xFF, 0xFF)


def shade(u, v):
    """Colour and coverage (0..1) of the point (u, v) of the unit square."""
    margin, radius = 0.06, 0.2
    # distance outside the rounded square
    dx = max(abs(u - 0.5) - (0.5 - margin - radius), 0.0)
    dy = max(abs(v - 0.5) - (0.5 - margin - radius), 0.0)
    if dx * dx + dy * dy > radius * radius:
        return BLUE, 0.0
    stem = (0.28 <= u <= 0.40 or 0.60 <= u <= 0.72) and 0.24 <= v <= 0.76
    bar = 0.40 <= u <= 0.60 and 0.45 <= v <= 0.55
    return (WHITE if stem or bar else BLUE), 1.0


def pixels(size):
    """Rows from the top, each pixel (r, g, b, a), averaged over 4x4 samples."""
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            total = [0.0, 0.0, 0.0, 0.0]
            for sy in range(4):
                for sx in range(4):
                    colour, cover = shade((x + (sx + 0.5) / 4) / size, (y + (sy + 0.5) / 4) / size)
                    for i in range(3):
                        total[i] += colour[i] * cover
                    total[3] += cover
            alpha = total[3] / 16
            rgb = [round(total[i] / total[3]) if total[3] else 0 for i in range(3)]
            row.append((rgb[0], rgb[1], rgb[2], round(alpha * 255)))
        rows.append(row)
    return rows


def bitmap(size):
    """BITMAPINFOHEADER, BGRA rows from the bottom, then the AND mask."""
    rows = pixels(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    stride = (size + 31) // 32 * 4
    mask = b""
    for row in reversed(rows):
        bits = bytearray(stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(bits)
    return header + colour + mask


def png(size):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    raw = b"".join(b"\0" + bytes(c for p in row for c in p) for row in pixels(size))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def main():
    images = [(16, bitmap(16)), (32, bitmap(32)), (48, bitmap(48)), (256, png(256))]
    offset = 6 + 16 * len(images)
    directory = struct.pack("<HHH", 0, 1, len(images))
    for size, data in images:
        directory += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    target = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "sample", "hello.ico")
    with open(target, "wb") as out:
        out.write(directory + b"".join(data for _, data in images))


main()
