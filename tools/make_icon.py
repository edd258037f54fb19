#!/usr/bin/env python3
"""Draws the program icon (ui/Korvalinde.ico): a stopwatch, 32 x 32 pixels, 16 colours.

The picture is computed from simple geometry, one palette index per pixel, and written
as a single-image ICO (4 bits per pixel, standard VGA palette, AND mask for transparency).
Standard library only; the output is the same bytes on every run.

    python3 tools/make_icon.py [output.ico]      (default: ui/Korvalinde.ico)
"""
import math
import os
import struct
import sys

SIZE = 32

# The 16-colour VGA palette, in Windows order, as (red, green, blue).
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
BLACK, DARK_RED, NAVY, SILVER, GRAY, RED, BLUE, WHITE = 0, 1, 4, 7, 8, 9, 12, 15
CLEAR = None  # transparent pixel

# Geometry, in pixel units; pixel (x, y) covers [x, x+1) x [y, y+1), y grows downwards.
CX, CY = 16.0, 18.0      # centre of the dial
R_OUTLINE = 13.0         # outer edge of the case
R_BEZEL = 12.0           # outer edge of the coloured bezel (inside the black outline)
R_FACE = 9.6             # white dial


def in_rect(px, py, x0, y0, x1, y1):
    return x0 <= px < x1 and y0 <= py < y1


def near_segment(px, py, ax, ay, bx, by, half_width):
    """True when (px, py) lies within half_width of the segment a-b."""
    dx, dy = bx - ax, by - ay
    t = ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)
    t = max(0.0, min(1.0, t))
    qx, qy = ax + t * dx, ay + t * dy
    return math.hypot(px - qx, py - qy) <= half_width


def hand_end(angle_deg, length):
    """End point of a hand at a clock angle (0 = twelve o'clock, clockwise)."""
    a = math.radians(angle_deg)
    return CX + length * math.sin(a), CY - length * math.cos(a)


def crown(px, py):
    """The winding crown on top of the case: a cap over a short stem, outlined in black."""
    if in_rect(px, py, 12, 1, 20, 4):          # cap with its outline
        return SILVER if in_rect(px, py, 13, 2, 19, 3) else BLACK
    if in_rect(px, py, 14, 4, 18, 6):          # stem down to the case
        return GRAY if in_rect(px, py, 15, 4, 17, 6) else BLACK
    return CLEAR


def side_button(px, py):
    """The small reset button at the upper right of the case, at one-thirty."""
    a = math.radians(45.0)
    ux, uy = math.sin(a), -math.cos(a)          # outwards along the button
    vx, vy = -uy, ux                            # across the button
    rx, ry = px - CX, py - CY
    along = rx * ux + ry * uy
    across = rx * vx + ry * vy
    if R_OUTLINE - 1.0 <= along < R_OUTLINE + 2.6 and abs(across) <= 2.3:
        inner = along < R_OUTLINE + 1.6 and abs(across) <= 1.2
        return SILVER if inner else BLACK
    return CLEAR


def dial(px, py):
    r = math.hypot(px - CX, py - CY)
    if r > R_OUTLINE:
        return CLEAR
    if r > R_BEZEL:
        return BLACK
    if r > R_FACE + 0.9:
        # bezel: blue, with a lighter rim towards the upper left where the light comes from
        lit = (px - CX) + (py - CY) < -6.0 and r > R_BEZEL - 0.9
        return SILVER if lit else BLUE
    if r > R_FACE:
        return NAVY                              # thin dark line between bezel and dial

    # dial: minute hand (to twelve), second hand (to half past four), hub, hour marks
    if in_rect(px, py, CX - 1, CY - 2, CX + 1, CY + 1):
        return BLACK                             # hub
    if near_segment(px, py, CX, CY, *hand_end(135.0, 7.0), 0.8):
        return RED                               # second hand
    if in_rect(px, py, CX - 1, CY - 6.0, CX + 1, CY):
        return BLACK                             # minute hand
    angle = math.degrees(math.atan2(px - CX, CY - py)) % 360.0
    nearest = round(angle / 30.0) * 30.0
    off = abs(angle - nearest)
    if nearest % 90.0 == 0.0 and r > R_FACE - 2.6 and off * math.pi / 180.0 * r < 1.0:
        return BLACK                             # marks at 12, 3, 6 and 9
    if nearest % 90.0 != 0.0 and r > R_FACE - 1.6 and off * math.pi / 180.0 * r < 0.6:
        return GRAY                              # the other hours
    return WHITE


def pixel(x, y):
    px, py = x + 0.5, y + 0.5
    for layer in (crown, side_button, dial):
        c = layer(px, py)
        if c is not CLEAR:
            return c
    return CLEAR


def image():
    return [[pixel(x, y) for x in range(SIZE)] for y in range(SIZE)]


def ico_bytes(pixels):
    xor_rows, and_rows = [], []
    for row in reversed(pixels):                 # bitmaps are stored bottom-up
        nibbles = [0 if c is CLEAR else c for c in row]
        xor_rows.append(bytes((nibbles[i] << 4) | nibbles[i + 1] for i in range(0, SIZE, 2)))
        bits = 0
        for c in row:
            bits = (bits << 1) | (1 if c is CLEAR else 0)
        and_rows.append(bits.to_bytes(SIZE // 8, "big"))   # 4 bytes: already DWORD-aligned
    xor_data, and_data = b"".join(xor_rows), b"".join(and_rows)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in PALETTE)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, 2 * SIZE, 1, 4, 0,
                         len(xor_data) + len(and_data), 0, 0, 16, 0)
    dib = header + palette + xor_data + and_data
    icondir = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(dib), 6 + 16)
    return icondir + entry + dib


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "ui", "Korvalinde.ico")
    with open(out, "wb") as f:
        f.write(ico_bytes(image()))


if __name__ == "__main__":
    main()
