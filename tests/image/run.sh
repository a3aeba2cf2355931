#!/usr/bin/env bash
# The booted station: builds the test image (the station's image with a guest agent, the one
# channel the test reads results through) and boots it in QEMU, from BIOS and from UEFI, driving
# it from the screen and the keyboard (boot-test.py). As root, on a machine with the archive in
# reach; the downloaded packages stay in $RULEVION_IMAGE_CACHE (default /var/cache/rulevion/image-apt)
# for the next run on this machine, whichever checkout it comes from.
#
#   bash tests/image/run.sh [BUILD_DIR]    BUILD_DIR: where the package is made (default build-deb)
#
# Screenshots of a failing step stay in build-image/test-<firmware>/.
set -euo pipefail
cd "$(dirname "$0")/../.."
build_dir=${1:-build-deb}
out=build-image/test-station.img

start=$(date +%s)
bash scripts/station-image.sh --list res/demo/students.csv --password 1234 \
  --technician "test-$(date +%s)" --build-dir "$build_dir" --out "$out" \
  --extra-package qemu-guest-agent --extra-package kbd \
  --hook "sh '$PWD/tests/image/customize.sh' \"\$1\""
built=$(date +%s)

status=0
# Every step from BIOS; from UEFI the boot and a sign-in, which is all that differs.
for run in "bios all" "uefi boot"; do
  set -- $run
  rm -rf "build-image/test-$1"
  /usr/bin/python3 tests/image/boot-test.py "$out" "build-image/test-$1" --firmware "$1" \
    --steps "$2" || status=1
done
echo "image test: built in $((built - start)) s, booted and driven in $(($(date +%s) - built)) s"
exit $status
