#!/usr/bin/env bash
# Installs the Debian packages Tavelo needs to build, test and run. Idempotent.
set -euo pipefail
PKGS=(cmake g++ ninja-build pkg-config
      qt6-base-dev qt6-image-formats-plugins libqt6svg6
      libarchive-dev libjpeg-dev libpng-dev zlib1g-dev libunarr-dev libgif-dev libimagequant-dev liblzma-dev
      libavif-dev libjxl-dev libpoppler-qt6-dev
      libavif-bin libjxl-tools p7zip-full libarchive-tools qpdf
      clang libclang-rt-14-dev
      libgtest-dev googletest
      qt6-translations-l10n
      xvfb xauth x11-apps x11-utils xdotool fonts-dejavu-core
      desktop-file-utils appstream xdg-utils shared-mime-info dpkg-dev file)
missing=()
for p in "${PKGS[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
