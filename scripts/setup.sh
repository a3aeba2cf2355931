#!/usr/bin/env bash
# Installs every Debian package the project needs. Idempotent; quiet when all is there.
#
#   bash scripts/setup.sh            everything: build, tests, benchmarks, fuzzing
#   bash scripts/setup.sh --package  only what building the Debian package needs (no tests)
#   bash scripts/setup.sh --image    only what the station's disk image and its test need
set -euo pipefail

# The package build: compiler and dpkg-dev (dpkg-shlibdeps) from build-essential, Qt with its
# SVG module (the icons are rendered at build time), its PDF module (the station session shows
# the help document itself; the -dev package brings the libraries the program runs with) and its
# translation tools, Xlib and XCB (the screen's size, keyboard layout and power saving), libzip
# and FreeXL for the class-list tool's workbooks (.xlsx and .ods; .xls), the font the documents
# are typeset in, and lintian to check the result.
package_build=(
  build-essential cmake pkg-config ninja-build
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev qt6-pdf-dev libx11-dev
  qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools
  libxcb1-dev libxcb-dpms0-dev libzip-dev libfreexl-dev libseccomp-dev
  fonts-liberation2 fontconfig
  lintian
)

packages=(
  build-essential cmake pkg-config ninja-build
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev qt6-pdf-dev libx11-dev
  qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools
  libzip-dev libfreexl-dev
  # The reader helper's sandbox (seccomp).
  libseccomp-dev
  # mdb-export checks our files in the tests; the library is only the benchmarks' yardstick.
  mdbtools mdbtools-dev libglib2.0-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-liberation2 fontconfig qt6-translations-l10n
  libxcb1-dev libxcb-dpms0-dev
  xvfb xdotool x11-utils xauth
  # A private session bus for the end-to-end tests, which find controls in the accessibility tree.
  dbus-daemon at-spi2-core
  # The station's session under test: its window manager and keyboard set-up, and the key
  # events a keyboard sends (XTEST).
  matchbox-window-manager x11-xkb-utils xkb-data libxtst-dev
  clang libclang-rt-14-dev
  valgrind
  poppler-utils desktop-file-utils lintian
)

# The station's disk image (scripts/station-image.sh) and its test in QEMU (tests/image/): a
# Debian root made without loop mounts, GRUB for BIOS and UEFI written into the image file, the
# partitions as files (mkfs.fat, mtools, sgdisk), QEMU with UEFI firmware.
image=(
  mmdebstrap grub-pc-bin grub-efi-amd64-bin grub-common mtools dosfstools gdisk e2fsprogs
  openssl curl qemu-system-x86 qemu-utils ovmf
)

case "${1:-}" in
  "") ;;
  --package) packages=("${package_build[@]}") ;;
  --image) packages=("${image[@]}") ;;
  *)
    echo "usage: bash scripts/setup.sh [--package | --image]" >&2
    exit 2
    ;;
esac

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
# node and npm may come from another packaging of Node.js; only their commands matter. The
# package build needs neither.
if [ -z "${1:-}" ]; then
  command -v node >/dev/null 2>&1 || missing+=(nodejs)
  command -v npm >/dev/null 2>&1 || missing+=(npm)
fi
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "setup: these packages are missing and installing them needs root: ${missing[*]}" >&2
  exit 1
fi
echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
