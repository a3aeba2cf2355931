#!/usr/bin/env bash
# Sets up, builds and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
ctest --test-dir build --output-on-failure -j"$(nproc)" "$@"

# The station's tests must not depend on the machine: once more with a configuration in /etc that
# sets every key to somewhere else, as on an installed station. Only where none exists, and
# removed again however the run ends.
station_conf=/etc/rulevion/station.conf
if [ -e "$station_conf" ]; then
  echo "test: $station_conf exists; the run against a configured machine is left out"
elif [ "$(id -u)" -ne 0 ]; then
  echo "test: not root; the run against a configured machine is left out"
else
  echo "test: station tests with a hostile $station_conf"
  made_dir=
  [ -d /etc/rulevion ] || made_dir=1
  trap 'rm -f "$station_conf"; [ -z "$made_dir" ] || rmdir /etc/rulevion' EXIT
  mkdir -p /etc/rulevion
  cat >"$station_conf" <<'CONF'
folder=/nonexistent/hostile/station
drives=/nonexistent/hostile/drives
menu=false
trainer=false
exercises=false
return=false
pause=0
CONF
  ctest --test-dir build --output-on-failure -j"$(nproc)" -R Station
  rm -f "$station_conf"
  [ -z "$made_dir" ] || rmdir /etc/rulevion
  trap - EXIT
fi

# The same tests built with AddressSanitizer and UndefinedBehaviorSanitizer, the reader helper
# included (it runs there without its address-space limit). Tests labelled no-sanitize say why
# they cannot run there.
echo "test: sanitizer build (build-asan)"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRULEVION_SANITIZE=ON >/dev/null
cmake --build build-asan -j"$(nproc)"
ctest --test-dir build-asan --output-on-failure -j"$(nproc)" -LE no-sanitize "$@"

# A short run of each fuzz target from its seeds; longer runs by hand:
# fuzz/run.sh build-fuzz <seconds> [target...]
echo "test: fuzz targets (build-fuzz)"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DRULEVION_FUZZ=ON -DRULEVION_TESTS=OFF >/dev/null
cmake --build build-fuzz --target rv_fuzz -j"$(nproc)"
bash fuzz/run.sh build-fuzz 45

# The booted station: the test image built from this checkout's package (the build above) and
# driven in QEMU from its screen and keyboard. The downloaded Debian packages stay in
# /var/cache/rulevion/image-apt for the next run on this machine.
echo "test: the station's disk image, booted (tests/image)"
bash tests/image/run.sh build
