#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# How much room Animate Caricature's GIFs leave: "gifsicle -O3" (frame differences, transparency
# and LZW tried every way it knows) rewrites each animation, and the share it saves is printed.
# The animations: the bundled sample portrait bent by three strokes (as it is and with its
# backdrop chroma-keyed out), and the 2-megapixel portraits of bench/AnimateBench.cpp (with and
# without noise), each 12 frames back and forth, without and with dithering. Installs what is
# missing (gifsicle is the reference) and builds in build-bench, or in the folder
# GS_BENCH_BUILD names.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
gs_install_packages "${GS_BUILD_PACKAGES[@]}" libpng-dev libspng-dev libgif-dev gifsicle
build="${GS_BENCH_BUILD:-build-bench}"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DGS_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j "$(nproc)" --target gs_bench grimacer gs_sample_portrait

out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
# The portrait as it is, and chroma-keyed: its backdrop made transparent (top and bottom), so
# that the warp moves the edge of the transparency from frame to frame.
for dither in nodither dither; do
  for keyed in plain keyed; do
    {
      echo "open $PWD/$build/bin/Sample/portrait.png"
      if [ "$keyed" = keyed ]; then
        echo "chromakey 5,5 160"
        echo "chromakey 20,740 160"
      fi
      cat <<EOF
tool warp
size 200
stroke 235,280 hold 12
stroke 365,280 hold 12
tool twirl
stroke 300,390 hold 8
animate 12 8 $out/portrait-$keyed-$dither.gif $dither
EOF
    } > "$out/portrait-$keyed-$dither.txt"
    "$build/bin/grimacer" --batch "$out/portrait-$keyed-$dither.txt"
  done
done
GS_ANIMATE_BENCH_OUT="$out" "$build/bin/gs_bench" --benchmark_filter=BM_AnimateCaricature >/dev/null 2>&1

printf '%-28s %12s %12s %8s\n' animation ours gifsicle saved
for gif in "$out"/*.gif; do
  gifsicle -O3 "$gif" -o "$gif.O3"
  ours=$(stat -c %s "$gif")
  theirs=$(stat -c %s "$gif.O3")
  awk -v name="$(basename "$gif")" -v ours="$ours" -v theirs="$theirs" \
    'BEGIN { printf "%-28s %12d %12d %7.2f%%\n", name, ours, theirs, 100 * (ours - theirs) / ours }'
done
