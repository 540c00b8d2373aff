#!/usr/bin/env python3
"""How the ten flame pictures read: for each, the flame pixels (red above 0.55 and green above
0.2), their 8-connected pieces, the main body's share, the loose pieces of 50 pixels or more and
whether each rises from the body of the picture before (lies at most RISE pixels above it), and
the change from each picture to the next (mean absolute difference per channel), Flame10 to
Flame1 included.

    scripts/flame_stats.py [install-dir]     (default build/assets/install)
"""
import os
import struct
import sys

RISE = 60
LOOSE = 50


def read_bmp(path):
    with open(path, "rb") as f:
        data = f.read()
    offset, = struct.unpack_from("<I", data, 10)
    width, height = struct.unpack_from("<ii", data, 18)
    bpp, = struct.unpack_from("<H", data, 28)
    if bpp != 24:
        raise SystemExit(f"{path}: {bpp} bits per pixel, expected 24")
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in range(abs(height)):
        src = height - 1 - y if height > 0 else y
        start = offset + src * stride
        rows.append(data[start:start + width * 3])  # blue, green, red
    return width, abs(height), rows


def flame_mask(width, height, rows):
    mask = bytearray(width * height)
    for y, row in enumerate(rows):
        base = y * width
        for x in range(width):
            if row[3 * x + 2] > 0.55 * 255 and row[3 * x + 1] > 0.2 * 255:
                mask[base + x] = 1
    return mask


def pieces(width, height, mask):
    label = [0] * (width * height)
    sizes = [0]
    for start in range(width * height):
        if not mask[start] or label[start]:
            continue
        n = len(sizes)
        label[start] = n
        stack, count = [start], 0
        while stack:
            i = stack.pop()
            count += 1
            y, x = divmod(i, width)
            for dy in (-1, 0, 1):
                yy = y + dy
                if yy < 0 or yy >= height:
                    continue
                for dx in (-1, 0, 1):
                    xx = x + dx
                    if 0 <= xx < width:
                        j = yy * width + xx
                        if mask[j] and not label[j]:
                            label[j] = n
                            stack.append(j)
        sizes.append(count)
    return label, sizes


def stats(frames):
    out = []
    for width, height, rows in frames:
        mask = flame_mask(width, height, rows)
        label, sizes = pieces(width, height, mask)
        main = max(range(1, len(sizes)), key=lambda n: sizes[n]) if len(sizes) > 1 else 0
        total = sum(sizes)
        out.append({"w": width, "h": height, "label": label, "sizes": sizes, "main": main,
                    "total": total})
    return out


def rises_from(piece, prev, width, height):
    """Whether the piece lies at most RISE pixels above the main body of the picture before."""
    body = prev["main"]
    for i in piece:
        y, x = divmod(i, width)
        for d in range(0, RISE + 1):
            if y + d < height and prev["label"][(y + d) * width + x] == body:
                return True
    return False


def difference(a, b):
    total = 0
    for ra, rb in zip(a[2], b[2]):
        total += sum(abs(p - q) for p, q in zip(ra, rb))
    return total / (a[0] * a[1] * 3)


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else "build/assets/install"
    frames = [read_bmp(os.path.join(folder, f"Flame{k}.bmp")) for k in range(1, 11)]
    measured = stats(frames)
    print("picture  pieces  main share  loose>=50 (sizes; risen)")
    for k, m in enumerate(measured):
        width = m["w"]
        loose = [n for n in range(1, len(m["sizes"])) if n != m["main"] and m["sizes"][n] >= LOOSE]
        prev = measured[k - 1]
        members = {n: [] for n in loose}
        for i, n in enumerate(m["label"]):
            if n in members:
                members[n].append(i)
        risen = [rises_from(members[n], prev, width, m["h"]) for n in loose]
        share = m["sizes"][m["main"]] / m["total"] if m["total"] else 0
        print(f"Flame{k + 1:<3}  {len(m['sizes']) - 1:6}  {100 * share:9.1f}%  {len(loose):3} "
              f"({', '.join(str(m['sizes'][n]) for n in loose)}; "
              f"{', '.join('yes' if r else 'NO' for r in risen)})")
    steps = [difference(frames[k], frames[(k + 1) % 10]) for k in range(10)]
    print("steps   " + " ".join(f"{s:.2f}" for s in steps[:9]))
    print(f"seam    {steps[9]:.2f}  (neighbours {min(steps[:9]):.2f} to {max(steps[:9]):.2f}, "
          f"mean {sum(steps[:9]) / 9:.2f})")


if __name__ == "__main__":
    main()
