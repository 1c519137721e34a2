#!/usr/bin/env python3
"""Pack a 48x48 PNG of the icon into a Windows icon file.

The icon holds one image: 48x48, one plane, 24 bits per pixel, with a
1-bit AND mask, the format every version of the shell understands
without a PNG decoder.  The mask cannot show partial transparency, so a
pixel is either kept (alpha at least half) or left out.  A kept pixel
keeps its colour as drawn, unblended: blended onto any one colour, the
soft outer edge would show as a halo on title bars of another.

Usage: pack-ico.py INPUT.png OUTPUT.ico
"""

import struct
import sys
import zlib

SIZE = 48
IMAGE_BYTES = 7336


def read_png(path):
    """Rows top-down of (r, g, b, a) from an 8-bit RGBA, non-interlaced PNG."""
    with open(path, 'rb') as f:
        data = f.read()
    if data[:8] != b'\x89PNG\r\n\x1a\n':
        raise ValueError('%s: not a PNG' % path)
    pos, header, compressed = 8, None, bytearray()
    while pos < len(data):
        length, kind = struct.unpack_from('>I4s', data, pos)
        body = data[pos + 8:pos + 8 + length]
        pos += 12 + length
        if kind == b'IHDR':
            header = struct.unpack('>IIBBBBB', body)
        elif kind == b'IDAT':
            compressed += body
    width, height, depth, colour, _, _, interlace = header
    if (depth, colour, interlace) != (8, 6, 0):
        raise ValueError('%s: not 8-bit RGBA without interlacing' % path)
    raw = zlib.decompress(bytes(compressed))
    stride = width * 4
    rows, previous = [], bytearray(stride)
    for y in range(height):
        start = y * (stride + 1)
        kind, line = raw[start], bytearray(raw[start + 1:start + 1 + stride])
        for x in range(stride):
            left = line[x - 4] if x >= 4 else 0
            up = previous[x]
            corner = previous[x - 4] if x >= 4 else 0
            if kind == 1:
                line[x] = (line[x] + left) & 255
            elif kind == 2:
                line[x] = (line[x] + up) & 255
            elif kind == 3:
                line[x] = (line[x] + (left + up) // 2) & 255
            elif kind == 4:
                estimate = left + up - corner
                nearest = min((abs(estimate - left), 0, left), (abs(estimate - up), 1, up),
                              (abs(estimate - corner), 2, corner))[2]
                line[x] = (line[x] + nearest) & 255
        rows.append([tuple(line[x:x + 4]) for x in range(0, stride, 4)])
        previous = line
    return rows


def encode_image(rows):
    """BITMAPINFOHEADER, bottom-up BGR pixels, then the AND mask."""
    xor_stride = SIZE * 3  # a multiple of four for 48 pixels
    and_stride = (SIZE + 31) // 32 * 4
    header = struct.pack('<IiiHHIIiiII', 40, SIZE, 2 * SIZE, 1, 24, 0,
                         SIZE * (xor_stride + and_stride), 0, 0, 0, 0)
    pixels, mask = bytearray(), bytearray()
    for row in reversed(rows):
        bits = bytearray(and_stride)
        for x, (r, g, b, a) in enumerate(row):
            if a < 128:
                # Black under a set mask bit leaves the screen as it was.
                pixels += b'\0\0\0'
                bits[x // 8] |= 0x80 >> (x % 8)
            else:
                pixels += bytes((b, g, r))
        mask += bits
    return header + bytes(pixels) + bytes(mask)


def main(argv):
    if len(argv) != 3:
        sys.stderr.write('usage: pack-ico.py INPUT.png OUTPUT.ico\n')
        return 2
    rows = read_png(argv[1])
    if len(rows) != SIZE or len(rows[0]) != SIZE:
        sys.stderr.write('pack-ico.py: %s is not %dx%d\n' % (argv[1], SIZE, SIZE))
        return 1
    image = encode_image(rows)
    assert len(image) == IMAGE_BYTES
    directory = struct.pack('<HHHBBBBHHII', 0, 1, 1, SIZE, SIZE, 0, 0, 1, 24, len(image), 22)
    with open(argv[2], 'wb') as f:
        f.write(directory + image)
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
