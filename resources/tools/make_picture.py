#!/usr/bin/python3
"""Draws the introduction picture resources/orivan.bmp (24-bit BMP)."""
import math
import os
import sys
from PIL import Image, ImageDraw, ImageFont

W, H = 480, 270
out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "orivan.bmp")
img = Image.new("RGB", (W, H))
d = ImageDraw.Draw(img)
for y in range(H):
    t = y / H
    d.line([(0, y), (W, y)], fill=(int(18 + 20 * t), int(40 + 40 * t), int(78 + 50 * t)))

def font(size, bold=False):
    for f in ("/usr/share/fonts/truetype/dejavu/DejaVuSans%s.ttf" % ("-Bold" if bold else ""),):
        if os.path.exists(f):
            return ImageFont.truetype(f, size)
    return ImageFont.load_default()

# harmonic spectrum with its limit line
base, left, step = 220, 40, 10
limits = [0, 2.3, 1.08, 0.77, 0.43, 0.3, 0.3, 0.23, 0.23, 0.2, 0.18, 0.15, 0.14, 0.13, 0.12, 0.11, 0.1, 0.1, 0.09, 0.09, 0.08, 0.08, 0.08, 0.07, 0.07, 0.07, 0.07, 0.06, 0.06, 0.06, 0.06, 0.06, 0.06, 0.05, 0.05, 0.05, 0.05, 0.05, 0.05, 0.05, 0.05]
for n in range(1, 41):
    lim = limits[n] if n % 2 else limits[n] * 0.4
    cur = lim * (0.55 + 0.4 * math.sin(n * 1.7) ** 2) if n > 1 else 2.0
    x = left + n * step
    hc = min(150, cur * 60)
    hl = min(150, lim * 60)
    colour = (60, 220, 90) if cur <= lim or n == 1 else (230, 60, 50)
    d.rectangle([x - 3, base - hc, x + 3, base], fill=colour)
    d.line([(x - 5, base - hl), (x + 5, base - hl)], fill=(200, 190, 60), width=2)
d.line([(left, base), (left + 41 * step, base)], fill=(200, 210, 230), width=1)
# mains waveform
pts = [(left + i, 150 - 38 * math.sin(i / 410 * 6 * math.pi) - 8 * math.sin(i / 410 * 18 * math.pi)) for i in range(0, 411, 2)]
d.line(pts, fill=(120, 190, 255), width=2)
d.text((24, 16), "ORIVAN", font=font(40, True), fill=(255, 255, 255))
d.text((26, 66), "Harmonics and flicker test system", font=font(15), fill=(200, 215, 235))
d.text((26, 236), "EN61000-3-2  -3-3  -3-11  -3-12", font=font(13), fill=(170, 190, 215))
img.save(out, "BMP")
