#!/usr/bin/env python3
"""Draws the launcher's icon: one 32x32 image in the 16 standard VGA colours, a blue rounded
tile with a white arrow pointing up and to the right. Writes launcher/resources/nolt.ico.

The .ico is checked in so that the build needs no Python; run this again only to change it."""
import os
import struct

SIZE = 32
# The 16-colour VGA palette as B, G, R, reserved.
PALETTE = [
    (0, 0, 0), (0, 0, 128), (0, 128, 0), (0, 128, 128),
    (128, 0, 0), (128, 0, 128), (128, 128, 0), (192, 192, 192),
    (128, 128, 128), (0, 0, 255), (0, 255, 0), (0, 255, 255),
    (255, 0, 0), (255, 0, 255), (255, 255, 0), (255, 255, 255),
]
BLACK, DARK_BLUE, BLUE, WHITE = 0, 4, 12, 15


def inside_tile(x, y):
    """A square with corners rounded by a radius of 5 pixels."""
    r = 5
    cx = min(max(x, r), SIZE - 1 - r)
    cy = min(max(y, r), SIZE - 1 - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def on_arrow(x, y):
    """A diagonal shaft from the lower left and a head in the upper right corner."""
    shaft = abs((x - 8) - (23 - y)) <= 1 and 8 <= x <= 22
    head = 12 <= x <= 24 and 7 <= y <= 19 and (x >= 22 or y <= 9)
    return shaft or head


def pixel(x, y):
    """Colour index of the pixel at x, y, counted from the top left."""
    if on_arrow(x, y):
        return WHITE
    edge = not all(inside_tile(x + dx, y + dy) for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
    return DARK_BLUE if edge else BLUE


def image():
    """BITMAPINFOHEADER, palette, XOR bitmap and AND mask, rows stored bottom up."""
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, 2 * SIZE, 1, 4, 0, 640, 0, 0, 0, 0)
    palette = b"".join(bytes((b, g, r, 0)) for r, g, b in PALETTE)
    xor = bytearray()
    mask = bytearray()
    for y in reversed(range(SIZE)):
        for x in range(0, SIZE, 2):
            left = pixel(x, y) if inside_tile(x, y) else BLACK
            right = pixel(x + 1, y) if inside_tile(x + 1, y) else BLACK
            xor.append(left << 4 | right)
        bits = 0
        for x in range(SIZE):
            bits = bits << 1 | (0 if inside_tile(x, y) else 1)
        mask += struct.pack(">I", bits)
    data = header + palette + bytes(xor) + bytes(mask)
    assert len(data) == 744
    return data


def main():
    data = image()
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(data), 6 + 16)
    path = os.path.join(os.path.dirname(__file__), "..", "launcher", "resources", "nolt.ico")
    with open(path, "wb") as out:
        out.write(directory + entry + data)


if __name__ == "__main__":
    main()
