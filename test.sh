#!/usr/bin/env bash
# Installs what is missing, builds every preset and runs every test with ctest:
# release, then the sanitizer build, then a short run of each fuzz target, then
# the 32-bit build of the libraries that checks the record layouts for real.
set -euo pipefail
cd "$(dirname "$0")"

./scripts/install-deps.sh

jobs=$(nproc)
for preset in release asan fuzz i386; do
  echo "=== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  ctest --preset "$preset" -j "$jobs"
done
