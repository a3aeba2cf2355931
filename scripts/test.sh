#!/usr/bin/env bash
# Sets up, builds and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
ctest --test-dir build --output-on-failure -j"$(nproc)" "$@"

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
