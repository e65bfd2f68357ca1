#!/usr/bin/env python3
"""The selected row of the grid as a screenshot shows it: the first band of the selection's blue
at least 8 pixels high in one column of pixels, printed as TOP BOTTOM (screen pixels). Finding
the row on the picture keeps the real-window scenarios right whatever stands above the grid.

    selected_row.py PNG X Y_FROM Y_TO
"""
import struct
import sys
import zlib


def read_png(name):
    with open(name, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise SystemExit("not a PNG: " + name)
    pos, idat = 8, b""
    width = height = channels = 0
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", body)
            if depth != 8 or colour not in (2, 6) or interlace:
                raise SystemExit("unsupported PNG")
            channels = 3 if colour == 2 else 4
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    raw = zlib.decompress(idat)
    stride = width * channels
    rows, prev, i = [], bytearray(stride), 0
    for _ in range(height):
        kind, line = raw[i], bytearray(raw[i + 1:i + 1 + stride])
        i += 1 + stride
        for x in range(stride):
            left = line[x - channels] if x >= channels else 0
            up = prev[x]
            corner = prev[x - channels] if x >= channels else 0
            if kind == 1:
                line[x] = (line[x] + left) & 0xFF
            elif kind == 2:
                line[x] = (line[x] + up) & 0xFF
            elif kind == 3:
                line[x] = (line[x] + (left + up) // 2) & 0xFF
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                pred = left if pa <= pb and pa <= pc else up if pb <= pc else corner
                line[x] = (line[x] + pred) & 0xFF
        rows.append(line)
        prev = line
    return rows, channels


def main():
    name, x, y_from, y_to = sys.argv[1], *map(int, sys.argv[2:5])
    rows, channels = read_png(name)
    top = None
    for y in range(max(y_from, 0), min(y_to, len(rows))):
        r, g, b = rows[y][x * channels:x * channels + 3]
        selected = b > 150 and r < 110 and b - r > 70
        if selected and top is None:
            top = y
        elif not selected and top is not None:
            if y - top >= 8:
                print(top, y - 1)
                return
            top = None
    raise SystemExit("no selected row")


main()
