#!/usr/bin/env python3
"""Builds the control's cursors and marker bitmap from the pixel art in src/resources.

    python3 tools/resgen.py src/resources OUTDIR

Every *.txt file in the source folder describes one output file:

    output  margin.cur          name of the file written to OUTDIR
    kind    cursor              cursor (monochrome, with transparency) or bitmap (16 colours)
    size    32 32               width and height of the whole picture
    hotspot 21 5                cursors only: the pixel that is the pointer's position
    legend  .  transparent      one character per pixel, mapped to a colour name (below)
    image   arrow               starts a picture; a bitmap puts its pictures side by side
    |....XooX....|              one pixel row between two bars

Lines that start with '#' are comments. Cursor pixels are black, white,
transparent or inverse (the screen shows through inverted); bitmap pixels name
one of the 16 standard VGA colours of the palette below. The output depends on
the text only (no time stamps), so the same sources always give the same bytes.
"""

import struct
import sys
from pathlib import Path

# The 16-colour palette in the order of the display's default palette, so that a
# 4-bit image list takes every colour over unchanged.
VGA_PALETTE = [
    ("black", (0x00, 0x00, 0x00)),
    ("darkred", (0x80, 0x00, 0x00)),
    ("darkgreen", (0x00, 0x80, 0x00)),
    ("darkyellow", (0x80, 0x80, 0x00)),
    ("darkblue", (0x00, 0x00, 0x80)),
    ("darkmagenta", (0x80, 0x00, 0x80)),
    ("darkcyan", (0x00, 0x80, 0x80)),
    ("lightgrey", (0xC0, 0xC0, 0xC0)),
    ("darkgrey", (0x80, 0x80, 0x80)),
    ("red", (0xFF, 0x00, 0x00)),
    ("green", (0x00, 0xFF, 0x00)),
    ("yellow", (0xFF, 0xFF, 0x00)),
    ("blue", (0x00, 0x00, 0xFF)),
    ("magenta", (0xFF, 0x00, 0xFF)),
    ("cyan", (0x00, 0xFF, 0xFF)),
    ("white", (0xFF, 0xFF, 0xFF)),
]
PALETTE_INDEX = {name: index for index, (name, _) in enumerate(VGA_PALETTE)}

# A cursor pixel is a pair of mask bits: (AND, XOR). AND 1 keeps the screen,
# XOR 1 then inverts it (or, over a cleared screen, makes the pixel white).
CURSOR_PIXELS = {
    "black": (0, 0),
    "white": (0, 1),
    "transparent": (1, 0),
    "inverse": (1, 1),
}

EXPECTED_OUTPUTS = {"split.cur", "margin.cur", "markers.bmp"}


class ArtError(Exception):
    pass


class Art:
    """One parsed source file: its settings, its legend and its pictures."""

    def __init__(self, path):
        self.path = path
        self.output = None
        self.kind = None
        self.size = None
        self.hotspot = None
        self.legend = {}
        self.images = []  # (name, list of rows)

    def fail(self, line_number, text):
        """Stops with the file and, when known, the line at fault."""
        where = f"{self.path}:{line_number}" if line_number else str(self.path)
        raise ArtError(f"{where}: {text}")


def parse_numbers(art, line_number, words, count):
    if len(words) != count:
        art.fail(line_number, f"expected {count} numbers")
    try:
        return tuple(int(word) for word in words)
    except ValueError:
        art.fail(line_number, "expected whole numbers")


def parse_art(path):
    art = Art(path)
    for line_number, line in enumerate(path.read_text(encoding="ascii").splitlines(), 1):
        stripped = line.strip()
        if not stripped or stripped.startswith("#"):
            continue
        if stripped.startswith("|"):
            if not art.images:
                art.fail(line_number, "pixel row before the first 'image' line")
            if len(stripped) < 2 or not stripped.endswith("|"):
                art.fail(line_number, "a pixel row ends with '|'")
            art.images[-1][1].append((line_number, stripped[1:-1]))
            continue
        keyword, *words = stripped.split()
        if keyword == "output":
            if len(words) != 1 or Path(words[0]).name != words[0]:
                art.fail(line_number, "output takes one plain file name")
            art.output = words[0]
        elif keyword == "kind":
            if words not in (["cursor"], ["bitmap"]):
                art.fail(line_number, "kind is 'cursor' or 'bitmap'")
            art.kind = words[0]
        elif keyword == "size":
            art.size = parse_numbers(art, line_number, words, 2)
        elif keyword == "hotspot":
            art.hotspot = parse_numbers(art, line_number, words, 2)
        elif keyword == "legend":
            if len(words) != 2 or len(words[0]) != 1 or words[0] == "|":
                art.fail(line_number, "legend takes one character (not '|') and one colour name")
            art.legend[words[0]] = (line_number, words[1])
        elif keyword == "image":
            art.images.append((" ".join(words), []))
        else:
            art.fail(line_number, f"unknown keyword '{keyword}'")
    check_art(art)
    return art


def check_art(art):
    for field in ("output", "kind", "size"):
        if getattr(art, field) is None:
            art.fail(None, f"'{field}' is missing")
    if not art.images:
        art.fail(None, "no 'image'")
    colours = CURSOR_PIXELS if art.kind == "cursor" else PALETTE_INDEX
    for char, (line_number, colour) in art.legend.items():
        if colour not in colours:
            art.fail(line_number, f"'{colour}' is not one of: {', '.join(colours)}")
    width, height = art.size
    if width <= 0 or height <= 0:
        art.fail(None, "the size must be positive")
    tile_width = width // len(art.images)
    if tile_width * len(art.images) != width:
        art.fail(None, f"{len(art.images)} images cannot share a width of {width}")
    for name, rows in art.images:
        if len(rows) != height:
            art.fail(rows[0][0] if rows else None, f"image '{name}' has {len(rows)} rows, not {height}")
        for line_number, row in rows:
            if len(row) != tile_width:
                art.fail(line_number, f"row is {len(row)} pixels wide, not {tile_width}")
            for char in row:
                if char not in art.legend:
                    art.fail(line_number, f"'{char}' is not in the legend")
    if art.kind == "cursor":
        if len(art.images) != 1:
            art.fail(None, "a cursor holds one image")
        if art.hotspot is None:
            art.fail(None, "a cursor needs a 'hotspot'")
        if not (0 <= art.hotspot[0] < width and 0 <= art.hotspot[1] < height):
            art.fail(None, "the hot spot lies outside the picture")
        if width > 255 or height > 255:
            art.fail(None, "a cursor is at most 255 pixels wide and high")


def pixel_rows(art):
    """The whole picture as rows of colour names, top row first."""
    width, height = art.size
    rows = []
    for y in range(height):
        row = []
        for _, image_rows in art.images:
            row.extend(art.legend[char][1] for char in image_rows[y][1])
        rows.append(row)
    return rows


def padded(row_bytes):
    return row_bytes + b"\0" * (-len(row_bytes) % 4)


def pack_bits(bits):
    """One row of 1-bit pixels, leftmost pixel in the top bit, padded to 4 bytes."""
    out = bytearray()
    for start in range(0, len(bits), 8):
        byte = 0
        for offset, bit in enumerate(bits[start:start + 8]):
            byte |= bit << (7 - offset)
        out.append(byte)
    return padded(bytes(out))


def bitmap_info_header(width, height, bits_per_pixel, image_size, colours_used):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits_per_pixel, 0, image_size, 0, 0,
                       colours_used, 0)


def rgb_quad(rgb):
    red, green, blue = rgb
    return bytes((blue, green, red, 0))


def make_cursor(art):
    """An ICONDIR of type 2 with one monochrome image: a header of doubled height,
    a black and white colour table, the XOR mask and then the AND mask, rows bottom-up."""
    width, height = art.size
    rows = pixel_rows(art)
    xor_mask = b"".join(pack_bits([CURSOR_PIXELS[c][1] for c in row]) for row in reversed(rows))
    and_mask = b"".join(pack_bits([CURSOR_PIXELS[c][0] for c in row]) for row in reversed(rows))
    colour_table = rgb_quad((0, 0, 0)) + rgb_quad((0xFF, 0xFF, 0xFF))
    image = (bitmap_info_header(width, 2 * height, 1, len(xor_mask) + len(and_mask), 0) + colour_table
             + xor_mask + and_mask)
    directory = struct.pack("<HHH", 0, 2, 1)
    hot_x, hot_y = art.hotspot
    entry = struct.pack("<BBBBHHII", width % 256, height % 256, 2, 0, hot_x, hot_y, len(image),
                        len(directory) + 16)
    return directory + entry + image


def make_bitmap(art):
    """A 4-bit BMP file with the 16-colour palette, rows bottom-up."""
    width, height = art.size
    pixels = b""
    for row in reversed(pixel_rows(art)):
        indexes = [PALETTE_INDEX[c] for c in row] + [0] * (width % 2)
        packed = bytes((indexes[x] << 4) | indexes[x + 1] for x in range(0, width, 2))
        pixels += padded(packed)
    palette = b"".join(rgb_quad(rgb) for _, rgb in VGA_PALETTE)
    info = bitmap_info_header(width, height, 4, len(pixels), len(VGA_PALETTE))
    offset = 14 + len(info) + len(palette)
    file_header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    return file_header + info + palette + pixels


def main(argv):
    if len(argv) != 3:
        sys.stderr.write(__doc__)
        return 2
    source_dir, out_dir = Path(argv[1]), Path(argv[2])
    try:
        arts = [parse_art(path) for path in sorted(source_dir.glob("*.txt"))]
        outputs = [art.output for art in arts]
        for name in set(outputs):
            if outputs.count(name) > 1:
                raise ArtError(f"more than one source writes {name}")
        missing = EXPECTED_OUTPUTS - set(outputs)
        if missing:
            raise ArtError(f"no source for {', '.join(sorted(missing))}")
    except (ArtError, OSError, UnicodeDecodeError) as error:
        sys.stderr.write(f"resgen: {error}\n")
        return 1
    out_dir.mkdir(parents=True, exist_ok=True)
    for art in arts:
        data = make_cursor(art) if art.kind == "cursor" else make_bitmap(art)
        (out_dir / art.output).write_bytes(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
