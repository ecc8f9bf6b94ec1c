#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks an installed tree. MODE PREFIX BINDIR DATADIR [more], where MODE is
#   layout CMAKE BUILD_DIR BUILD_BIN_DIR  installs BUILD_DIR into PREFIX (emptied first) and
#                                         checks what landed there
#   desktop                               validates the desktop files, metainfo and MIME package
#   licence SOURCE_DIR                    checks the copyright file, the declared licence and
#                                         SOURCE_DIR/LICENSE
#   run                                   runs the installed editor's batch mode from an empty
#                                         folder on the shipped filters and clipart
set -euo pipefail
mode=$1 prefix=$2 bindir=$3 datadir=$4
shift 4
share="$prefix/$datadir"
data="$share/grimacer-studio"
# Filter modules are code: they live under lib/, as GS_INSTALL_MODULE_DIR says.
modules="$prefix/lib/grimacer-studio/plugins"
ids=(io.github.grimacerstudio.Grimacer io.github.grimacerstudio.Gifloom)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Nothing the tools or the editor keep for a user may land in the real home.
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_CACHE_HOME="$work/home/.cache" \
  XDG_DATA_HOME="$work/home/.local/share"
mkdir -p "$HOME"

fail() { echo "FAIL: $*" >&2; exit 1; }
need() { command -v "$1" >/dev/null || fail "$1 is missing: install $2 (scripts/test does)"; }

layout() {
  local cmake=$1 build=$2 built=$3
  rm -rf "$prefix"
  "$cmake" --install "$build" --prefix "$prefix" >"$work/install.log" || { cat "$work/install.log"; fail "install"; }
  local expected=("$bindir/grimacer" "$bindir/gifloom"
    "$datadir/grimacer-studio/Clipart/Sunglasses.gif"
    "$datadir/grimacer-studio/Clipart/Talk Bubbles/Speech Bubble Right.gif"
    "$datadir/grimacer-studio/help/help.html" "$datadir/grimacer-studio/help/animator.html"
    "$datadir/grimacer-studio/Sample/portrait.png"
    "$datadir/mime/packages/${ids[0]}.xml" "$datadir/man/man1/grimacer.1.gz" "$datadir/man/man1/gifloom.1.gz"
    "$datadir/doc/grimacer-studio/copyright" "$datadir/doc/grimacer-studio/README.md"
    "$datadir/doc/grimacer-studio/changelog.gz")
  for id in "${ids[@]}"; do
    expected+=("$datadir/applications/$id.desktop" "$datadir/metainfo/$id.metainfo.xml"
      "$datadir/icons/hicolor/scalable/apps/$id.svg")
  done
  for f in "${expected[@]}"; do [ -s "$prefix/$f" ] || fail "$f is not installed"; done
  [ -x "$prefix/$bindir/grimacer" ] && [ -x "$prefix/$bindir/gifloom" ] || fail "programs not executable"
  # Exactly the shipped filters: the build's bin/plugins holds those and no test module.
  diff <(cd "$built/plugins" && ls *.8bf) <(cd "$modules" && ls) || fail "$modules differs from the build's"
  [ ! -e "$data/plugins" ] || fail "filter modules are installed under share/, where architecture-dependent files do not belong"
  for module in "$modules"/*.8bf; do
    objdump -p "$module" | grep -q 'NEEDED *libc\.so' || fail "$module does not name the C library it needs"
  done
  [ ! -e "$data/Tools" ] || fail "Tools/ is installed; the installed Gifloom is $bindir/gifloom"
  [ -z "$(find "$prefix" -name .keep)" ] || fail "placeholder .keep files are installed"
  # Man pages compressed the way Debian's tools expect: gzip with neither a file name nor a time
  # in the header (gzip -9n), none left plain.
  [ -z "$(find "$share/man" -name '*.1')" ] || fail "a man page is installed uncompressed"
  for page in "$share"/man/man1/*.1.gz; do
    gzip -t "$page" || fail "$page is not gzip"
    [ "$(od -An -tx1 -j3 -N5 "$page" | tr -d ' ')" = 0000000000 ] || fail "$page keeps a name or a time"
  done
}

licence() {
  # Debian's machine-readable copyright file, its licence the one the metainfo declares, and the
  # full text of it beside the sources.
  local copyright="$share/doc/grimacer-studio/copyright" source=$1
  head -1 "$copyright" | grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
    fail "$copyright is not in the machine-readable format"
  for id in "${ids[@]}"; do
    local metainfo="$share/metainfo/$id.metainfo.xml" licence
    licence=$(sed -n 's:.*<project_license>\(.*\)</project_license>.*:\1:p' "$metainfo")
    [ "$licence" = GPL-3.0-or-later ] || fail "$metainfo declares the licence '$licence'"
    grep -qx "License: $licence" "$copyright" || fail "$copyright does not license the files under $licence"
    ! grep -q '\.invalid' "$metainfo" || fail "$metainfo names a placeholder address"
  done
  grep -q 'GNU GENERAL PUBLIC LICENSE' "$source/LICENSE" && grep -q 'Version 3' "$source/LICENSE" ||
    fail "LICENSE is not the GPL version 3"
}

desktop() {
  need desktop-file-validate desktop-file-utils
  need appstreamcli appstream
  need update-mime-database shared-mime-info
  for id in "${ids[@]}"; do
    local entry="$share/applications/$id.desktop"
    desktop-file-validate "$entry" || fail "$entry"
    appstreamcli validate --no-net --explain "$share/metainfo/$id.metainfo.xml" || fail "$id.metainfo.xml"
    grep -qx "Icon=$id" "$entry" || fail "$entry names another icon than $id"
    grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$share/metainfo/$id.metainfo.xml" ||
      fail "$id.metainfo.xml launches another desktop file"
    local program
    program=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
    [ -x "$prefix/$bindir/$program" ] || fail "$entry starts $program, which is not installed"
  done
  # The MIME package as the desktop's database compiles it, in the scratch user's data folder.
  local mime="$XDG_DATA_HOME/mime"
  mkdir -p "$mime/packages"
  cp "$share/mime/packages/${ids[0]}.xml" "$mime/packages/"
  update-mime-database "$mime" 2>"$work/mime.log" || { cat "$work/mime.log"; fail "MIME package"; }
  [ ! -s "$work/mime.log" ] || { cat "$work/mime.log"; fail "MIME package warnings"; }
  grep -q '^application/x-grimacer-protected-picture:\*\.mfk$' "$mime/globs" ||
    fail "*.mfk is not application/x-grimacer-protected-picture"
  grep -q 'application/x-grimacer-protected-picture' "$share/applications/${ids[0]}.desktop" ||
    fail "the editor's desktop file does not open protected pictures"
  grep -q 'image/openraster' "$share/applications/${ids[0]}.desktop" ||
    fail "the editor's desktop file does not open projects"
  # The file manager's thumbnails of projects come from a program that is installed.
  local thumbnailer="$share/thumbnailers/${ids[0]}.thumbnailer"
  grep -qx 'MimeType=image/openraster;' "$thumbnailer" || fail "$thumbnailer is not for image/openraster"
  [ -x "$prefix/$bindir/$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$thumbnailer")" ] ||
    fail "$thumbnailer starts a program that is not installed"
  # The picture kinds' MIME types, filled in from their rows, in both the entry and the metainfo.
  for type in image/jpeg image/webp image/heic image/heif image/avif; do
    grep -q "^MimeType=.*$type;" "$share/applications/${ids[0]}.desktop" ||
      fail "the editor's desktop file does not open $type"
    grep -q "<mediatype>$type</mediatype>" "$share/metainfo/${ids[0]}.metainfo.xml" ||
      fail "the editor's metainfo does not provide $type"
  done
}

run() {
  # An empty start folder: the filter can come only from the installed module folder.
  mkdir "$work/start"
  cat >"$work/script" <<SCRIPT
open $data/Sample/portrait.png
filter Sepia
clipart $data/Clipart/Sunglasses.gif
saveas out.png
SCRIPT
  local editor="$prefix/$bindir/grimacer"
  (cd "$work/start" && QT_QPA_PLATFORM=offscreen "$editor" --batch "$work/script") ||
    fail "the installed editor's batch run"
  [ -s "$work/start/out.png" ] || fail "the batch run saved nothing"
  # Without the installed filters the same run must fail, or the filter came from elsewhere
  # (an editor installed system-wide, say) and the run above proved nothing. Modules lying in the
  # start folder, where a desktop starts the editor for a downloaded picture, are not run either.
  mv "$modules" "$modules.hidden"
  cp -r "$modules.hidden" "$work/start/plugins"
  local status=0
  (cd "$work/start" && QT_QPA_PLATFORM=offscreen "$editor" --batch "$work/script") 2>"$work/stderr" || status=$?
  [ "$status" -ne 0 ] && grep -q 'no filter "Sepia"' "$work/stderr" ||
    { mv "$modules.hidden" "$modules"; fail "Sepia was found outside $modules"; }
  # Modules users put in the installed data folder, where earlier versions installed them, are
  # still found.
  cp -r "$modules.hidden" "$data/plugins"
  status=0
  (cd "$work/start" && QT_QPA_PLATFORM=offscreen "$editor" --batch "$work/script") 2>"$work/stderr" || status=$?
  rm -rf "$data/plugins"
  [ "$status" -eq 0 ] || { mv "$modules.hidden" "$modules"; cat "$work/stderr"; fail "Sepia in $data/plugins was not found"; }
  # The user's own folder is scanned.
  mkdir -p "$XDG_DATA_HOME/grimacer-studio"
  mv "$work/start/plugins" "$XDG_DATA_HOME/grimacer-studio/plugins"
  status=0
  (cd "$work/start" && QT_QPA_PLATFORM=offscreen "$editor" --batch "$work/script") 2>"$work/stderr" || status=$?
  mv "$modules.hidden" "$modules"
  [ "$status" -eq 0 ] || { cat "$work/stderr"; fail "Sepia in $XDG_DATA_HOME/grimacer-studio/plugins was not found"; }
}

"$mode" "$@"
