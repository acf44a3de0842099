#!/usr/bin/env python3
"""Draws the program icon, a conical flask of green liquid with bubbles, as 16-colour
XPM images of 32x32 and 16x16 pixels (built into the program), as palette PNG images of
16, 32, 48 and 128 pixels (installed into the desktop's icon theme) and as a scalable SVG.
Run it to regenerate them all."""
import pathlib
import struct
import zlib

HERE = pathlib.Path(__file__).resolve().parent
PALETTE = {  # at most 16 colours, as the icon format asks
    ' ': 'None', 'k': '#202020', 'g': '#C0C0C0', 'w': '#FFFFFF', 'L': '#3CB371',
    'D': '#1E7B4A', 'b': '#E8F4FF', 'r': '#808080',
}


def flask(size):
    s = size / 32.0
    # Strokes, glint and bubbles are one pixel up to 32 pixels and grow with the larger
    # sizes, where single pixels would be too thin to see.
    t = max(1, round(s))
    img = [[' '] * size for _ in range(size)]
    neck_l, neck_r = round(12 * s), round(19 * s)
    top, shoulder, bottom = round(3 * s), round(12 * s), size - 1 - round(2 * s)
    liquid = round(19 * s)

    def half_width(y):
        if y < shoulder:
            return neck_l, neck_r
        frac = (y - shoulder) / max(1, bottom - shoulder)
        return round(neck_l - frac * 9 * s), round(neck_r + frac * 9 * s)

    for y in range(top, bottom + 1):
        left, right = half_width(y)
        for x in range(left, right + 1):
            edge = x < left + t or x > right - t or y > bottom - t
            if edge:
                img[y][x] = 'k'
            elif y >= liquid:
                surface = y < liquid + t or x < left + 2 * t
                img[y][x] = 'D' if surface else 'L'
            else:
                img[y][x] = 'b'
    # the rim of the neck
    for y in range(top, top + t):
        for x in range(neck_l - round(s), neck_r + round(s) + 1):
            img[y][x] = 'r'
    # a glint on the glass and bubbles in the liquid
    for y in range(shoulder + round(s), liquid - round(s)):
        gx = half_width(y)[0] + max(1, round(2 * s))
        for x in range(gx, gx + t):
            img[y][x] = 'w'
    for bx, by, r in ((15, 22, 1.1), (18, 25, 0.9), (13, 26, 0.7), (20, 21, 0.9)):
        cx, cy = round(bx * s), round(by * s)
        radius = 0 if t == 1 else r * s
        reach = int(radius) + 1
        for y in range(cy - reach, cy + reach + 1):
            for x in range(cx - reach, cx + reach + 1):
                if (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2 and img[y][x] in 'LD':
                    img[y][x] = 'w'
    return img


def xpm(size):
    img = flask(size)
    used = sorted({c for row in img for c in row})
    lines = [f'"{size} {size} {len(used)} 1",']
    lines += [f'"{c} c {PALETTE[c]}",' for c in used]
    lines += ['"' + ''.join(row) + '",' for row in img]
    lines[-1] = lines[-1].rstrip(',')
    return '/* XPM */\nstatic const char* lexivant2_%d[] = {\n%s\n};\n' % (size, '\n'.join(lines))


def png(size):
    """A palette PNG: the same colours as the XPM images, written with zlib alone."""
    img = flask(size)
    used = sorted({c for row in img for c in row})  # ' ' (transparent) sorts first
    index = {c: i for i, c in enumerate(used)}
    rgb = b''.join(bytes.fromhex('000000' if PALETTE[c] == 'None' else PALETTE[c][1:])
                   for c in used)
    alpha = bytes(0 if PALETTE[c] == 'None' else 255 for c in used)
    raw = b''
    for row in img:  # four bits a pixel, each row led by filter type 0
        nibbles = [index[c] for c in row] + [0] * (size % 2)
        raw += b'\0' + bytes(a << 4 | b for a, b in zip(nibbles[::2], nibbles[1::2]))

    def chunk(kind, data):
        body = kind + data
        return struct.pack('>I', len(data)) + body + struct.pack('>I', zlib.crc32(body))

    header = struct.pack('>IIBBBBB', size, size, 4, 3, 0, 0, 0)
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', header) + chunk(b'PLTE', rgb)
            + chunk(b'tRNS', alpha) + chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b''))


def svg():
    return """<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 32 32" width="128" height="128">
  <path d="M12 3 H19 V12 L28.5 29 H2.5 L12 12 Z" fill="#E8F4FF" stroke="#202020" stroke-width="1.2" stroke-linejoin="round"/>
  <path d="M7.6 19.5 H23.4 L28.5 29 H2.5 Z" fill="#3CB371" stroke="#1E7B4A" stroke-width="0.8"/>
  <rect x="11" y="2.2" width="9" height="1.6" rx="0.6" fill="#808080"/>
  <circle cx="15" cy="23" r="1.1" fill="#FFFFFF"/><circle cx="18.5" cy="25.5" r="0.9" fill="#FFFFFF"/>
  <circle cx="12.5" cy="26.2" r="0.7" fill="#FFFFFF"/><path d="M14 13 L10 19" stroke="#FFFFFF" stroke-width="1"/>
</svg>
"""


if __name__ == '__main__':
    for size in (16, 32):
        (HERE / f'lexivant2-{size}.xpm').write_text(xpm(size))
    for size in (16, 32, 48, 128):
        (HERE / f'lexivant2-{size}.png').write_bytes(png(size))
    (HERE / 'lexivant2.svg').write_text(svg())
