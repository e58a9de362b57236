#!/usr/bin/env bash
# Installs the Debian 12 packages the project builds and tests with (only those that
# are missing). Needs root, or sudo.
#   scripts/setup.sh          everything: building, running, the tests, fuzzing, packaging
#   scripts/setup.sh --run    only what building and running the tool needs
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  libgtest-dev nlohmann-json3-dev libcli11-dev
  qt6-base-dev qt6-svg-dev libgl-dev
  qt6-translations-l10n   # Qt's own dialog and button texts in German
)
if [ "${1:-}" != "--run" ]; then
  packages+=(
    clang libclang-rt-14-dev
    xvfb xauth
    poppler-utils   # pdftotext: the configuration sheet's test reads the PDF back
    qpdf            # the configuration sheet's test checks the PDF's structure
    dpkg-dev lintian desktop-file-utils appstream
    g++-mingw-w64-x86-64-posix wine64 googletest   # Windows build, tests under Wine
    librsvg2-bin    # rsvg-convert: the Windows window's picture and icon, rastered at build time
    nsis icoutils   # the Windows setup, and its icon file
    xdotool         # the window tier under Wine: keys and clicks
    imagemagick     # scripts/screenshots-windows.sh: import -window root, cropping
  )
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
