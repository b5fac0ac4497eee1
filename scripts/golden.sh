#!/usr/bin/env bash
# Redraws every golden reference frame listed in tests/golden/times.txt with the renderer.
# Run it deliberately, after looking at the frames: the test compares against what this writes.
#   scripts/golden.sh [BUILD_DIRECTORY]     (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
renderer=$build/tessivar-render
list=tests/golden/times.txt
[ -x "$renderer" ] || { echo "golden: no $renderer; build first (scripts/build.sh)" >&2; exit 1; }
command -v python3 >/dev/null || { echo "golden: python3 is needed to halve the frames" >&2; exit 1; }

args=()
while read -r line; do
  case $line in '' | '#'*) continue ;; esac
  args+=(--time "$line")
done <"$list"
[ ${#args[@]} -gt 0 ] || { echo "golden: no times in $list" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# One run draws every time in order, exactly as the test does.
"$renderer" --size 640x480 "${args[@]}" --out "$work" >/dev/null

# Halve each 640x480 frame to 320x240 (rounded mean of each 2x2 block) with the standard library.
python3 - "$work" tests/golden <<'PY'
import os, struct, sys, zlib

def readpng(path):
    data = open(path, 'rb').read()
    assert data[:8] == b'\x89PNG\r\n\x1a\n', path
    pos, idat, width, height = 8, b'', 0, 0
    while pos < len(data):
        length, kind = struct.unpack('>I4s', data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b'IHDR':
            width, height, depth, colour = struct.unpack('>IIBB', body[:10])
            assert depth == 8 and colour == 2, 'expects 8-bit RGB from the renderer'
        elif kind == b'IDAT':
            idat += body
        pos += 12 + length
    raw, stride, rows, prev = zlib.decompress(idat), width * 3, [], bytearray(width * 3)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        row = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            left = row[i - 3] if i >= 3 else 0
            up = prev[i]
            corner = prev[i - 3] if i >= 3 else 0
            if kind == 1: row[i] = (row[i] + left) & 255
            elif kind == 2: row[i] = (row[i] + up) & 255
            elif kind == 3: row[i] = (row[i] + (left + up) // 2) & 255
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                pred = left if pa <= pb and pa <= pc else (up if pb <= pc else corner)
                row[i] = (row[i] + pred) & 255
        rows.append(row)
        prev = row
    return width, height, rows

def writepng(path, width, height, rows):
    def chunk(kind, body):
        return struct.pack('>I', len(body)) + kind + body + struct.pack('>I', zlib.crc32(kind + body))
    raw = b''.join(b'\x00' + bytes(r) for r in rows)
    with open(path, 'wb') as out:
        out.write(b'\x89PNG\r\n\x1a\n')
        out.write(chunk(b'IHDR', struct.pack('>IIBBBBB', width, height, 8, 2, 0, 0, 0)))
        out.write(chunk(b'IDAT', zlib.compress(raw, 9)))
        out.write(chunk(b'IEND', b''))

source, target = sys.argv[1], sys.argv[2]
for name in sorted(os.listdir(source)):
    width, height, rows = readpng(os.path.join(source, name))
    half = []
    for y in range(height // 2):
        a, b, row = rows[2 * y], rows[2 * y + 1], bytearray()
        for x in range(width // 2):
            for c in range(3):
                i = 6 * x + c
                row.append((a[i] + a[i + 3] + b[i] + b[i + 3] + 2) // 4)
        half.append(row)
    writepng(os.path.join(target, name), width // 2, height // 2, half)
    print(os.path.join(target, name))
PY
