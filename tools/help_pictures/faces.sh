#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Draws the help manual's pictures of Auto Caricature, Face Sculpt and Exaggerate from the
# sample portrait, with the editor's batch mode, into data/help/images/.
# Usage, from the repository: tools/help_pictures/faces.sh [BUILD_DIR]   (default: build)
set -e
build=${1:-build}
portrait="$build/bin/Sample/portrait.png"
out=data/help/images
script=$(mktemp)
trap 'rm -f "$script"' EXIT

# NAME followed by what bends the portrait (nothing for the portrait itself).
picture() {
  name=$1
  shift
  echo "open $portrait"
  for line in "$@"; do echo "$line"; done
  echo "imagesize width=240 constrain=on"
  echo "saveas $out/$name.png"
}

{
  picture autocaricature-before
  picture autocaricature-bigeyes "autocaricature bigeyes"
  picture autocaricature-alien "autocaricature alien"
  picture autocaricature-bobblehead "autocaricature bobblehead"
  picture facesculpt-eyes "sculpt eyesize=80 eyedistance=-60 eyetilt=50"
  picture facesculpt-mouth "sculpt smile=100 mouthwidth=60 upperlip=-50 lowerlip=80"
  picture facesculpt-outline "sculpt forehead=100 chinheight=80 jawline=-80 facewidth=-40"
  picture exaggerate-50 "exaggerate 50"
  picture exaggerate-100 "exaggerate 100"
  picture exaggerate-200 "exaggerate 200"
} >"$script"
QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$build/bin/grimacer" --batch "$script"
