# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages the build needs when any is missing. Sourced by the scripts.
gs_install_packages() {
  local missing=()
  for pkg in "$@"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
}

GS_BUILD_PACKAGES=(build-essential cmake ninja-build pkg-config qt6-base-dev libgl-dev
  libjpeg62-turbo-dev zlib1g-dev libgtest-dev libgmock-dev libbenchmark-dev
  libdlib-dev libdlib-data libzip-dev libwebp-dev libheif-dev)
# What the install tests check with, and what scripts/package needs beyond the build.
GS_TEST_PACKAGES=(desktop-file-utils appstream shared-mime-info)
GS_PACKAGE_PACKAGES=(dpkg-dev file lintian)
