#!/usr/bin/env python3
"""Writes the seed corpus of the image fuzz target into corpus/image_load/: the picture fixtures
of tests/image/fixtures plus small bitmap and icon files that reach every row format, the top-down
and RLE8 paths, every icon entry depth and icon entries held as PNG streams. Run from this folder.
The seeds of the PNG, JPEG and GIF targets reach the loader's other decoders; they are merged in
(-merge=1) rather than copied, so only those that add coverage stay."""
import os
import shutil
import struct
import zlib

here = os.path.dirname(os.path.abspath(__file__))
out = os.path.join(here, "corpus", "image_load")
fixtures = os.path.join(here, "..", "tests", "image", "fixtures")
os.makedirs(out, exist_ok=True)

for name in sorted(os.listdir(fixtures)):
    if name.endswith((".bmp", ".ico")):
        shutil.copy(os.path.join(fixtures, name), os.path.join(out, name))


def rows(width, height, bits, seed):
    data = b""
    for y in range(height):
        row = bytes((seed * 31 + y * 17 + x * 7) & 0xFF for x in range((width * bits + 7) // 8))
        data += row + b"\0" * ((4 - len(row) % 4) % 4)
    return data


def bmp(width, height, bits, compression=0, palette=0, pixels=b"", info=40):
    table = bytes((i * 37) & 0xFF for i in range(palette * 4))
    offset = 14 + info + len(table)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    dib = struct.pack("<IiiHHIIiiII", info, width, height, 1, bits, compression, 0, 0, 0, 0, 0)
    return header + dib + b"\0" * (info - 40) + table + pixels


def write(name, data):
    with open(os.path.join(out, name), "wb") as f:
        f.write(data)


write("w1.bmp", bmp(9, 3, 1, palette=2, pixels=rows(9, 3, 1, 1)))
write("w4.bmp", bmp(7, 3, 4, palette=16, pixels=rows(7, 3, 4, 2)))
write("w8.bmp", bmp(5, 3, 8, palette=256, pixels=rows(5, 3, 8, 3)))
write("w16-555.bmp", bmp(3, 2, 16, pixels=rows(3, 2, 16, 4)))
write("w16-565.bmp", bmp(3, 2, 16, compression=3, pixels=rows(3, 2, 16, 5), info=52))
write("w24-top-down.bmp", bmp(5, -3, 24, pixels=rows(5, 3, 24, 6)))
write("w32-no-alpha.bmp", bmp(2, 2, 32, pixels=b"\x10\x20\x30\x00" * 4))
write("w32-alpha.bmp", bmp(2, 2, 32, pixels=b"\x10\x20\x30\x80" * 4))
write("w4-rle4.bmp", bmp(4, 2, 4, compression=2, palette=16, pixels=b"\x04\x12\x00\x01"))
write("header-only.bmp", bmp(10, 5, 24))
rle = bytes([3, 1, 0, 3, 2, 3, 4, 0, 2, 1, 0, 0, 0, 2, 2, 1, 1, 3, 0, 1])
write("w8-rle8.bmp", bmp(6, 3, 8, compression=1, palette=8, pixels=rle))
write("w8-rle8-open.bmp", bmp(6, 3, 8, compression=1, palette=8, pixels=rle[:-2]))


def icon_entry(width, height, bits):
    palette = (1 << bits) if bits <= 8 else 0
    dib = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, bits, 0, 0, 0, 0, palette, 0)
    return dib + bytes((i * 53) & 0xFF for i in range(palette * 4)) + rows(width, height, bits, bits) + rows(width, height, 1, 9)


def icon(entries, kind=1):
    directory = struct.pack("<HHH", 0, kind, len(entries))
    offset = 6 + 16 * len(entries)
    body = b""
    for w, h, bits, data in entries:
        directory += struct.pack("<BBBBHHII", w, h, 0, 0, 1, bits, len(data), offset)
        offset += len(data)
        body += data
    return directory + body


write("i-depths.ico", icon([(4, 4, 1, icon_entry(4, 4, 1)), (8, 8, 32, icon_entry(8, 8, 32)),
                            (4, 4, 8, icon_entry(4, 4, 8)), (4, 4, 4, icon_entry(4, 4, 4)),
                            (4, 4, 24, icon_entry(4, 4, 24))]))
write("i-png-entry.ico", icon([(2, 2, 32, b"\x89PNG\r\n\x1a\n" + b"\0" * 24)]))
write("cursor.cur", icon([(4, 4, 24, icon_entry(4, 4, 24))], kind=2))
write("radiance.hdr", b"#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y 1 +X 1\n\x02\x02\x02\x80")


def png(width, height, color_type, bit_depth, samples, interlace=0, chunks=()):
    """A PNG stream; samples: one list of channel values per row (unfiltered), in the bit depth."""
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

    def pack(row):
        if bit_depth == 16:
            return b"".join(struct.pack(">H", v) for v in row)
        if bit_depth == 8:
            return bytes(row)
        bits = "".join(format(v, "0%db" % bit_depth) for v in row)
        bits += "0" * (-len(bits) % 8)
        return bytes(int(bits[i:i + 8], 2) for i in range(0, len(bits), 8))

    raw = b"".join(b"\0" + pack(row) for row in samples)
    if interlace:
        raw = b""  # every pass unfiltered: the Adam7 passes of the same rows
        passes = [(0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2), (0, 1, 1, 2)]
        channels = len(samples[0]) // width
        for x0, y0, dx, dy in passes:
            for y in range(y0, height, dy):
                row = []
                for x in range(x0, width, dx):
                    row += samples[y][x * channels:(x + 1) * channels]
                if row:
                    raw += b"\0" + pack(row)
    header = struct.pack(">IIBBBBB", width, height, bit_depth, color_type, 0, 0, interlace)
    body = chunk(b"IHDR", header) + b"".join(chunk(k, v) for k, v in chunks)
    return b"\x89PNG\r\n\x1a\n" + body + chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b"")


rgba = png(4, 4, 6, 8, [[(x * 60 + y * 7 + c * 40) & 0xFF for x in range(4) for c in range(4)] for y in range(4)])
palette = png(5, 3, 3, 2, [[(x + y) % 4 for x in range(5)] for y in range(3)],
              chunks=[(b"PLTE", bytes(range(12))), (b"tRNS", b"\x00\x80")])
gray16 = png(9, 9, 0, 16, [[(x * 7000 + y * 300) & 0xFFFF for x in range(9)] for y in range(9)], interlace=1)
write("i-png-rgba.ico", icon([(4, 4, 32, rgba)]))
write("i-png-palette-trns.ico", icon([(5, 3, 2, palette)]))
write("i-png-gray16-interlaced.ico", icon([(9, 9, 16, gray16)]))
write("i-png-beside-bitmap.ico", icon([(4, 4, 8, icon_entry(4, 4, 8)), (4, 4, 32, rgba)]))
write("i-png-cut.ico", icon([(4, 4, 32, rgba[:len(rgba) - 20])]))
