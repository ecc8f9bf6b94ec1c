#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Whether Qt, PIL (Pillow), gifsicle and ImageMagick show the same frames of our GIFs: the
# sample portrait's animated caricature as it is and with its backdrop chroma-keyed out (where
# transparency moves from frame to frame, so frames are cleared or undone), with and without
# dithering, and still GIFs of the keyed portrait and the astronaut. Each reader's composed
# frames are compared pixel by pixel with Qt's. Pass GIF files to check those instead.
# Installs what is missing and builds in build-bench, or in the folder GS_BENCH_BUILD names.
set -euo pipefail
gifs=()
for gif in "$@"; do gifs+=("$(readlink -f "$gif")"); done
cd "$(dirname "$0")/../.."
source scripts/deps.sh
gs_install_packages "${GS_BUILD_PACKAGES[@]}" gifsicle imagemagick python3-pil
build="${GS_BENCH_BUILD:-build-bench}"
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
g++ -std=c++17 -O2 -fPIC bench/gifdecoders/QtFrames.cpp $(pkg-config --cflags --libs Qt6Gui) -o "$out/qt_frames"

if [ ${#gifs[@]} -eq 0 ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$build" -j "$(nproc)" --target grimacer gs_sample_portrait >/dev/null
  portrait="$PWD/$build/bin/Sample/portrait.png"
  for dither in nodither dither; do
    for keyed in plain keyed; do
      {
        echo "open $portrait"
        [ "$keyed" = keyed ] && printf 'chromakey 5,5 160\nchromakey 20,740 160\n'
        printf 'tool warp\nsize 200\nstroke 235,280 hold 12\nstroke 365,280 hold 12\n'
        printf 'tool twirl\nstroke 300,390 hold 8\n'
        echo "animate 12 8 $out/portrait-$keyed-$dither.gif $dither"
      } > "$out/script.txt"
      QT_QPA_PLATFORM=offscreen "$build/bin/grimacer" --batch "$out/script.txt"
      gifs+=("$out/portrait-$keyed-$dither.gif")
    done
  done
  printf 'open %s\nchromakey 5,5 160\nsaveas %s\n' "$portrait" "$out/still-keyed.gif" > "$out/script.txt"
  QT_QPA_PLATFORM=offscreen "$build/bin/grimacer" --batch "$out/script.txt"
  printf 'open %s\nsaveas %s\n' "$PWD/tests/data/public/faces/astronaut.png" "$out/still-astronaut.gif" > "$out/script.txt"
  QT_QPA_PLATFORM=offscreen "$build/bin/grimacer" --batch "$out/script.txt"
  gifs+=("$out/still-keyed.gif" "$out/still-astronaut.gif")
fi

failed=0
for gif in "${gifs[@]}"; do
  frames="$(mktemp -d -p "$out")"
  echo "$(basename "$gif") ($(stat -c %s "$gif") bytes)"
  (
    cd "$frames"
    /usr/bin/python3 - "$gif" <<'PY'
import sys
from PIL import Image, ImageSequence
for i, frame in enumerate(ImageSequence.Iterator(Image.open(sys.argv[1]))):
    frame.convert('RGBA').save('pil_%03d.png' % i)
PY
    /usr/bin/convert "$gif" -coalesce PNG32:magick_%03d.png
    gifsicle --unoptimize --explode "$gif" -o whole >/dev/null
    /usr/bin/python3 - <<'PY'
import glob
from PIL import Image
for i, name in enumerate(sorted(glob.glob('whole.*'))):
    Image.open(name).convert('RGBA').save('gifsicle_%03d.png' % i)
PY
    QT_QPA_PLATFORM=offscreen "$out/qt_frames" "$gif" pil magick gifsicle 2>/dev/null
  ) || failed=1
done
exit $failed
