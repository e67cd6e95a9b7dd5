#!/usr/bin/env python3
"""compare.py REFERENCE.ppm PICTURE.ppm [--must-differ]

Compares two binary PPM pictures pixel by pixel. A pixel differs when one of
its channels is more than CHANNEL_TOLERANCE apart; the pictures agree when
at most SHARE_TOLERANCE of the pixels differ. With --must-differ the exit
status is inverted: the pictures must not agree.

The two renderers rasterise and sample a little differently: measured on
the fixed scene (OpenGL through Mesa llvmpipe under Wine, WebGL through
SwiftShader in Chromium), 12 % of the pixels differ by one level (colour
rounding), 0.35 % by more than one, and 22 pixels (0.03 %) by more than 8:
edge pixels that one rasteriser covers and the other does not. The limits
leave a margin of about six times that. Leaving the overlay off the one fish
that has it changes 617 pixels (0.94 %) by more than 8 levels, five times
the allowed share.
"""
import sys

CHANNEL_TOLERANCE = 8
SHARE_TOLERANCE = 0.002


def read_ppm(path):
    with open(path, 'rb') as f:
        data = f.read()
    fields = data.split(maxsplit=4)
    if fields[0] != b'P6' or fields[3] != b'255':
        raise SystemExit(f'{path}: not a binary 8-bit PPM')
    width, height = int(fields[1]), int(fields[2])
    pixels = fields[4]
    if len(pixels) != width * height * 3:
        raise SystemExit(f'{path}: {len(pixels)} bytes of pixels for {width} x {height}')
    return width, height, pixels


def main():
    args = [a for a in sys.argv[1:] if a != '--must-differ']
    must_differ = len(args) != len(sys.argv) - 1
    if len(args) != 2:
        raise SystemExit(__doc__)
    w1, h1, a = read_ppm(args[0])
    w2, h2, b = read_ppm(args[1])
    if (w1, h1) != (w2, h2):
        raise SystemExit(f'sizes differ: {w1} x {h1} against {w2} x {h2}')
    differing = 0
    largest = 0
    for i in range(0, len(a), 3):
        d = max(abs(a[i] - b[i]), abs(a[i + 1] - b[i + 1]), abs(a[i + 2] - b[i + 2]))
        largest = max(largest, d)
        if d > CHANNEL_TOLERANCE:
            differing += 1
    share = differing / (w1 * h1)
    agree = share <= SHARE_TOLERANCE
    print(f'{args[1]} against {args[0]}: {differing} of {w1 * h1} pixels ({share:.2%}) differ by '
          f'more than {CHANNEL_TOLERANCE} levels (allowed {SHARE_TOLERANCE:.1%}); largest '
          f'difference {largest}: {"agree" if agree else "differ"}')
    return 0 if agree != must_differ else 1


if __name__ == '__main__':
    sys.exit(main())
