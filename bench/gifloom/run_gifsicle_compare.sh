#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing (gifsicle is the reference), builds gifloom_bench and runs it:
# Gifloom joining 200 frames of 640 x 480, in process and as a program, against
# "gifsicle --merge" on the same files.
set -euo pipefail
cd "$(dirname "$0")/../.."
source scripts/deps.sh
gs_install_packages "${GS_BUILD_PACKAGES[@]}" libpng-dev libspng-dev libgif-dev gifsicle
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DGS_BUILD_BENCH=ON >/dev/null
cmake --build build-bench -j "$(nproc)" --target gifloom_bench
build-bench/bin/gifloom_bench "$@"
