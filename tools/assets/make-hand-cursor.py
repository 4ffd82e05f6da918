#!/usr/bin/env python3
"""Writes data/HAND-M.CUR, the pointing-hand cursor shown over clickable tiles.

The hand is drawn below as ASCII art and packed into a Windows .CUR file by
hand (standard library only):

    ICONDIR        reserved=0, type=2 (cursor), count=1
    ICONDIRENTRY   32x32, hotspot x/y, size and offset of the image
    BITMAPINFOHEADER  40 bytes, 32 x 64 (colour + mask), 32 bpp, BI_RGB
    colour image   32 rows of 32 BGRA pixels, bottom row first
    AND mask       32 rows of 4 bytes, bottom row first, 1 = transparent

Usage: tools/assets/make-hand-cursor.py [output-path]
"""

import pathlib
import struct
import sys

SIZE = 32

# 'X' = black outline, 'o' = white fill, '.' = transparent.
# The index finger points straight up; its tip is the hotspot.
HAND = [
    ".....XX...........",
    "....XooX..........",
    "....XooX..........",
    "....XooX..........",
    "....XooX..........",
    "....XooXXX........",
    "....XooXooXXX.....",
    "....XooXooXooXXX..",
    "....XooXooXooXooX.",
    "XX..XooXooXooXooX.",
    "XooXXoooooooooooX.",
    "XoooXoooooooooooX.",
    ".XooXoooooooooooX.",
    ".XooooooooooooooX.",
    "..XoooooooooooooX.",
    "..XoooooooooooooX.",
    "...XooooooooooooX.",
    "...XoooooooooooX..",
    "....XooooooooooX..",
    "....XooooooooooX..",
    "....XXXXXXXXXXXX..",
]

# Where the hand's top-left corner sits inside the 32x32 cell.
ORIGIN_X, ORIGIN_Y = 0, 0
# Tip of the index finger, in hand coordinates.
TIP_X, TIP_Y = 5, 0

COLOURS = {
    "X": (0, 0, 0, 255),        # B, G, R, A
    "o": (255, 255, 255, 255),
    ".": (0, 0, 0, 0),
}


def build_grid():
    """Returns the 32x32 cell as rows of characters, top row first."""
    width = max(len(row) for row in HAND)
    if any(len(row) != width for row in HAND):
        raise SystemExit("hand rows must all be the same width")
    if ORIGIN_X + width > SIZE or ORIGIN_Y + len(HAND) > SIZE:
        raise SystemExit("hand does not fit in the cursor cell")
    grid = [["."] * SIZE for _ in range(SIZE)]
    for y, row in enumerate(HAND):
        for x, ch in enumerate(row):
            if ch not in COLOURS:
                raise SystemExit(f"unknown character {ch!r} in hand art")
            grid[ORIGIN_Y + y][ORIGIN_X + x] = ch
    return grid


def encode_cursor(grid, hot_x, hot_y):
    colour = bytearray()
    mask = bytearray()
    for row in reversed(grid):  # DIBs are stored bottom-up
        for ch in row:
            colour += bytes(COLOURS[ch])
        bits = 0
        for ch in row:
            bits = (bits << 1) | (1 if ch == "." else 0)
        mask += bits.to_bytes(SIZE // 8, "big")  # leftmost pixel = MSB

    info = struct.pack(
        "<IiiHHIIiiII",
        40,             # biSize
        SIZE,           # biWidth
        SIZE * 2,       # biHeight: colour image + AND mask
        1,              # biPlanes
        32,             # biBitCount
        0,              # biCompression = BI_RGB
        len(colour) + len(mask),  # biSizeImage
        0, 0,           # pixels per metre
        0, 0,           # colours used / important
    )
    image = info + colour + mask

    header = struct.pack("<HHH", 0, 2, 1)
    entry_size = 16
    entry = struct.pack(
        "<BBBBHHII",
        SIZE, SIZE,     # width, height
        0, 0,           # colour count, reserved
        hot_x, hot_y,   # hotspot (file bytes 10-13)
        len(image),
        len(header) + entry_size,
    )
    assert len(entry) == entry_size
    return header + entry + image


def main():
    root = pathlib.Path(__file__).resolve().parents[2]
    out = pathlib.Path(sys.argv[1]) if len(sys.argv) > 1 else root / "data" / "HAND-M.CUR"

    grid = build_grid()
    hot_x, hot_y = ORIGIN_X + TIP_X, ORIGIN_Y + TIP_Y
    if grid[hot_y][hot_x] != "X":
        raise SystemExit("hotspot is not on the fingertip outline")

    data = encode_cursor(grid, hot_x, hot_y)
    out.parent.mkdir(parents=True, exist_ok=True)
    out.write_bytes(data)

    # Read the essentials back so a slip in the packing shows up here.
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    hx, hy = struct.unpack_from("<HH", data, 10)
    size, offset = struct.unpack_from("<II", data, 14)
    assert (reserved, kind, count) == (0, 2, 1)
    assert (hx, hy) == (hot_x, hot_y)
    assert offset + size == len(data)
    print(f"wrote {out} ({len(data)} bytes), hotspot ({hx}, {hy})")
    for row in grid:
        print("".join(row).rstrip(".") or ".")


if __name__ == "__main__":
    main()
