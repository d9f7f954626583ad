#!/usr/bin/env bash
# Installs what is missing, builds every preset and runs every test with ctest:
# release, then the sanitizer build, then a short run of each fuzz target.
set -euo pipefail
cd "$(dirname "$0")"

./scripts/install-deps.sh

jobs=$(nproc)
for preset in release asan fuzz; do
  echo "=== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  ctest --preset "$preset" -j "$jobs"
done
