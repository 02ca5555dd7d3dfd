#!/usr/bin/python3
"""Writes HAND-M.CUR: our 32x32 pointing-hand cursor (32-bit colour with an
AND mask), hot spot on the tip of the index finger.

Usage: make_hand_cursor.py OUTPUT
"""
import struct
import sys

# 'X' outline (black), '.' fill (white), anything else transparent.
ART = [
    "     XX",
    "    X..X",
    "    X..X",
    "    X..X",
    "    X..X",
    "    X..XXX",
    "    X..X..XXX",
    "    X..X..X..XX",
    "    X..X..X..X.X",
    "XXX X..X..X..X..X",
    "X..XX........X..X",
    "X...X...........X",
    " X..X...........X",
    "  X.............X",
    "  X.............X",
    "   X............X",
    "   X...........X",
    "    X..........X",
    "    X.........X",
    "     X........X",
    "     X........X",
    "     XXXXXXXXXX",
]
SIZE = 32
HOT_X, HOT_Y = 5, 0


def pixel(x, y):
    row = ART[y] if y < len(ART) else ""
    ch = row[x] if x < len(row) else " "
    if ch == "X":
        return (0, 0, 0, 255)
    if ch == ".":
        return (255, 255, 255, 255)
    return (0, 0, 0, 0)


def main():
    colour = bytearray()
    mask = bytearray()
    for y in reversed(range(SIZE)):  # bitmaps run bottom-up
        bits = 0
        for x in range(SIZE):
            r, g, b, a = pixel(x, y)
            colour += bytes((b, g, r, a))
            bits = (bits << 1) | (0 if a else 1)
        mask += struct.pack(">I", bits)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0,
                         len(colour) + len(mask), 0, 0, 0, 0)
    image = header + bytes(colour) + bytes(mask)
    directory = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, HOT_X, HOT_Y,
                        len(image), 6 + 16)
    with open(sys.argv[1], "wb") as out:
        out.write(directory + entry + image)


if __name__ == "__main__":
    main()
