#!/usr/bin/env python3
"""Draws Vellorn's application icon and writes resources/vellorn.ico.

The icon is a light document holding a few list rows (a header bar, one
highlighted row) with a green down arrow over its lower right corner: a list
whose selected entry is written out. Each size is laid out on its own pixel
grid and drawn pixel by pixel, so that nothing is blurred.

The file holds four images: 16x16 and 32x32, each at 8 bits per pixel (a
palette) and at 24 bits per pixel, stored as bottom-up DIBs with an AND mask.
The output is the same byte for byte on every run.

Usage: python3 tools/make_icon.py [output.ico]
"""

import os
import struct
import sys

# Colours (red, green, blue).
OUTLINE = (74, 84, 99)
PAPER = (250, 251, 253)
HEADER = (52, 112, 196)
SELECTION = (204, 224, 250)
ROW = (150, 160, 174)
BULLET = (92, 140, 210)
ARROW = (46, 166, 86)
ARROW_LIGHT = (120, 210, 140)
ARROW_EDGE = (22, 92, 46)

# Per-size layout in pixels. Rectangles are (left, top, right, bottom) with
# right and bottom exclusive.
LAYOUTS = {
    32: {
        "page": (3, 1, 25, 31),
        "header": (5, 3, 23, 7),
        "rows": [9, 13, 17, 21, 25],
        "row_height": 2,
        "bullet": (6, 8),
        "text": (10, 22),
        "selected": 1,
        "shaft": (20, 14, 27),  # left, top, right of the shaft
        "head": (22, 8),  # first row of the head and its half width
    },
    16: {
        "page": (1, 0, 13, 16),
        "header": (3, 2, 11, 4),
        "rows": [6, 9, 12],
        "row_height": 1,
        "bullet": (3, 4),
        "text": (5, 11),
        "selected": 1,
        "shaft": (10, 7, 13),
        "head": (10, 4),
    },
}


class Canvas:
    """A square of pixels, each a colour or None for transparent."""

    def __init__(self, size):
        self.size = size
        self.rows = [[None] * size for _ in range(size)]

    def put(self, x, y, rgb):
        if 0 <= x < self.size and 0 <= y < self.size:
            self.rows[y][x] = rgb

    def fill_rect(self, rect, rgb):
        left, top, right, bottom = rect
        for y in range(top, bottom):
            for x in range(left, right):
                self.put(x, y, rgb)


def arrow_cells(layout):
    """The arrow's pixels: a shaft, then a head narrowing by one per row."""
    left, top, right = layout["shaft"]
    head_top, half = layout["head"]
    centre = (left + right - 1) // 2
    cells = set()
    for y in range(top, head_top):
        for x in range(left, right):
            cells.add((x, y))
    for step in range(half):
        y = head_top + step
        for x in range(centre - (half - 1 - step), centre + (half - 1 - step) + 1):
            cells.add((x, y))
    return cells, (left, top, head_top)


def draw(size):
    layout = LAYOUTS[size]
    canvas = Canvas(size)

    left, top, right, bottom = layout["page"]
    canvas.fill_rect((left, top, right, bottom), OUTLINE)
    canvas.fill_rect((left + 1, top + 1, right - 1, bottom - 1), PAPER)
    # Round the page's corners by one pixel.
    for x, y in ((left, top), (right - 1, top), (left, bottom - 1), (right - 1, bottom - 1)):
        canvas.rows[y][x] = None

    canvas.fill_rect(layout["header"], HEADER)

    bullet_left, bullet_right = layout["bullet"]
    text_left, text_right = layout["text"]
    height = layout["row_height"]
    for index, y in enumerate(layout["rows"]):
        if index == layout["selected"]:
            canvas.fill_rect((left + 1, y - 1, right - 1, y + height + 1), SELECTION)
        canvas.fill_rect((bullet_left, y, bullet_right, y + height), BULLET)
        # Vary the row lengths a little so they read as text.
        shorten = (index * 3) % 5 if size == 32 else (index * 2) % 3
        canvas.fill_rect((text_left, y, text_right - shorten, y + height), ROW)

    cells, (shaft_left, shaft_top, head_top) = arrow_cells(layout)
    for x, y in cells:
        for dx in (-1, 0, 1):
            for dy in (-1, 0, 1):
                if (x + dx, y + dy) not in cells:
                    canvas.put(x + dx, y + dy, ARROW_EDGE)
    for x, y in cells:
        canvas.put(x, y, ARROW)
    # A lit left edge on the shaft gives the arrow a little depth.
    for y in range(shaft_top, head_top):
        canvas.put(shaft_left, y, ARROW_LIGHT)
    return canvas.rows


def palette_for(images):
    """One palette for every image; index 0 is the black behind transparent pixels."""
    colours = sorted({px for rows in images for row in rows for px in row if px is not None})
    if len(colours) > 255:
        sys.exit("too many colours for an 8-bit palette: %d" % len(colours))
    return [(0, 0, 0)] + colours


def and_mask(rows):
    size = len(rows)
    stride = ((size + 31) // 32) * 4
    out = bytearray()
    for row in reversed(rows):
        line = bytearray(stride)
        for x, px in enumerate(row):
            if px is None:
                line[x // 8] |= 0x80 >> (x % 8)
        out += line
    return bytes(out)


def bitmap_header(size, bits, image_bytes, colours_used):
    return struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0, image_bytes, 0, 0,
                       colours_used, 0)


def dib_24(rows):
    size = len(rows)
    stride = ((size * 3 + 3) // 4) * 4
    pixels = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for px in row:
            r, g, b = px if px is not None else (0, 0, 0)
            line += bytes((b, g, r))
        line += bytes(stride - len(line))
        pixels += line
    mask = and_mask(rows)
    return bitmap_header(size, 24, len(pixels) + len(mask), 0) + bytes(pixels) + mask


def dib_8(rows, palette):
    size = len(rows)
    stride = ((size + 3) // 4) * 4
    index = {c: i for i, c in enumerate(palette) if i > 0}
    pixels = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for px in row:
            line.append(0 if px is None else index[px])
        line += bytes(stride - len(line))
        pixels += line
    table = bytearray()
    for r, g, b in palette + [(0, 0, 0)] * (256 - len(palette)):
        table += bytes((b, g, r, 0))
    mask = and_mask(rows)
    header = bitmap_header(size, 8, len(pixels) + len(mask), 256)
    return header + bytes(table) + bytes(pixels) + mask


def write_ico(path, entries):
    """entries: list of (size, bits, dib bytes)."""
    directory = struct.pack("<HHH", 0, 1, len(entries))
    offset = 6 + 16 * len(entries)
    body = bytearray()
    for size, bits, dib in entries:
        directory += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, bits, len(dib),
                                 offset + len(body))
        body += dib
    with open(path, "wb") as f:
        f.write(directory + bytes(body))


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    path = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "resources", "vellorn.ico")
    images = {size: draw(size) for size in (16, 32)}
    palette = palette_for(images.values())
    entries = []
    for size in (16, 32):
        entries.append((size, 8, dib_8(images[size], palette)))
    for size in (16, 32):
        entries.append((size, 24, dib_24(images[size])))
    write_ico(path, entries)
    print("wrote %s (%d colours in the palette)" % (path, len(palette)))


if __name__ == "__main__":
    main()
