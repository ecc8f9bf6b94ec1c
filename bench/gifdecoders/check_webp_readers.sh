#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Whether libwebp's own tools (dwebp, webpmux), ImageMagick and PIL (Pillow) read our WebP
# files as we wrote them: the sample portrait saved as a still WebP (lossy), keyed out (lossless
# with alpha), its caricature animated (12 frames back and forth) and as an animated sticker.
# For each file webpmux must report the frames and timing we asked for, and every reader's
# composed frames must match those of libwebp's animation decoder (through PIL) pixel by pixel;
# a still picture must match dwebp's. Pass WebP files to check those instead.
# Installs what is missing and builds in build-bench, or in the folder GS_BENCH_BUILD names.
set -euo pipefail
files=()
for f in "$@"; do files+=("$(readlink -f "$f")"); done
cd "$(dirname "$0")/../.."
source scripts/deps.sh
gs_install_packages "${GS_BUILD_PACKAGES[@]}" webp imagemagick python3-pil
build="${GS_BENCH_BUILD:-build-bench}"
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT

if [ ${#files[@]} -eq 0 ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$build" -j "$(nproc)" --target grimacer gs_sample_portrait >/dev/null
  portrait="$PWD/$build/bin/Sample/portrait.png"
  {
    echo "open $portrait"
    echo "saveas $out/still.webp"
    echo "open $portrait"
    printf 'chromakey 5,5 160\nchromakey 20,740 160\n'
    echo "saveas $out/keyed.webp"
    echo "open $portrait"
    printf 'tool warp\nsize 200\nstroke 235,280 hold 12\nstroke 365,280 hold 12\n'
    printf 'tool twirl\nstroke 300,390 hold 8\n'
    echo "animate 12 8 $out/animated.webp"
    echo "sticker $out/sticker.webp animated"
  } > "$out/script.txt"
  QT_QPA_PLATFORM=offscreen "$build/bin/grimacer" --batch "$out/script.txt"
  files=("$out/still.webp" "$out/keyed.webp" "$out/animated.webp" "$out/sticker.webp")
fi

failed=0
for file in "${files[@]}"; do
  frames="$(mktemp -d -p "$out")"
  echo "$(basename "$file") ($(stat -c %s "$file") bytes)"
  webpmux -info "$file" | sed -n '1,4p;/^ *1:/p' | sed 's/^/  webpmux: /'
  (
    cd "$frames"
    /usr/bin/convert "$file" -coalesce PNG32:magick_%03d.png
    animated=0
    webpmux -info "$file" | grep -q 'Features present:.*animation' && animated=1
    [ "$animated" = 1 ] || dwebp -quiet "$file" -o dwebp_000.png
    /usr/bin/python3 - "$file" <<'PY'
import glob, sys
from PIL import Image, ImageSequence
reference, durations = [], []
for f in ImageSequence.Iterator(Image.open(sys.argv[1])):
    reference.append(f.convert('RGBA'))
    durations.append(f.info.get('duration') or 0)
print('  PIL: %d frames, %d ms in all' % (len(reference), sum(durations)))
bad = 0
for reader in ('magick', 'dwebp'):
    names = sorted(glob.glob(reader + '_*'))
    if not names:
        continue
    if len(names) != len(reference):
        print('  %s: %d frames instead of %d' % (reader, len(names), len(reference)))
        bad = 1
        continue
    worst = 0
    for name, ref in zip(names, reference):
        img = Image.open(name).convert('RGBA')
        if img.size != ref.size:
            print('  %s: %s is %s, not %s' % (reader, name, img.size, ref.size)); bad = 1; break
        for a, b in zip(img.getdata(), ref.getdata()):
            if a[3] == 0 and b[3] == 0:
                continue
            worst = max(worst, max(abs(x - y) for x, y in zip(a, b)))
    print('  %s: %d frames, largest difference %d' % (reader, len(names), worst))
    if worst > 0:
        bad = 1
sys.exit(bad)
PY
  ) || failed=1
done
exit $failed
