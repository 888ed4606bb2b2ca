#!/usr/bin/env python3
"""Whether two PNG files hold the same pixels: both decoded to RGBA with the
standard library alone (palette, grey, RGB and RGBA images of 1 to 8 bits,
every filter, no interlacing), fully transparent pixels counted as equal
whatever their colour. Exit status 0 when they match, 1 when not.

    bench/pngpixels.py A.png B.png
"""
import struct
import sys
import zlib


def decode(path):
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError(f"{path}: not a PNG file")
    at, idat, palette, trns = 8, b"", [], b""
    while at < len(data):
        n, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + n]
        if zlib.crc32(kind + body) != struct.unpack(">I", data[at + 8 + n:at + 12 + n])[0]:
            raise ValueError(f"{path}: bad CRC in {kind!r}")
        if kind == b"IHDR":
            w, h, depth, ctype, _, _, interlace = struct.unpack(">IIBBBBB", body)
            if interlace:
                raise ValueError(f"{path}: interlaced")
        elif kind == b"PLTE":
            palette = [tuple(body[i:i + 3]) for i in range(0, n, 3)]
        elif kind == b"tRNS":
            trns = body
        elif kind == b"IDAT":
            idat += body
        at += 12 + n
    channels = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}[ctype]
    bpp = max(1, channels * depth // 8)
    stride = (w * channels * depth + 7) // 8
    raw = zlib.decompress(idat)
    prev = bytearray(stride)
    pixels = []
    for y in range(h):
        f = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - bpp] if i >= bpp else 0
            b = prev[i]
            c = prev[i - bpp] if i >= bpp else 0
            if f == 1:
                line[i] = (line[i] + a) & 255
            elif f == 2:
                line[i] = (line[i] + b) & 255
            elif f == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif f == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        prev = line
        samples = []
        if depth == 8:
            samples = list(line)
        else:
            for byte in line:
                for k in range(8 // depth):
                    samples.append((byte >> (8 - depth * (k + 1))) & ((1 << depth) - 1))
        for x in range(w):
            s = samples[x * channels:(x + 1) * channels]
            if ctype == 3:
                r, g, b_ = palette[s[0]]
                alpha = trns[s[0]] if s[0] < len(trns) else 255
                px = (r, g, b_, alpha)
            elif ctype == 6:
                px = tuple(s)
            elif ctype == 2:
                px = (*s, 255)
            elif ctype == 4:
                px = (s[0], s[0], s[0], s[1])
            else:
                px = (s[0], s[0], s[0], 255)
            pixels.append((0, 0, 0, 0) if px[3] == 0 else px)
    return w, h, pixels


def main():
    a, b = decode(sys.argv[1]), decode(sys.argv[2])
    if a[:2] != b[:2]:
        print(f"sizes differ: {a[:2]} against {b[:2]}", file=sys.stderr)
        return 1
    for i, (p, q) in enumerate(zip(a[2], b[2])):
        if p != q:
            print(f"pixel {i % a[0]},{i // a[0]} differs: {p} against {q}", file=sys.stderr)
            return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
