#!/usr/bin/env bash
# Installs what is missing, builds the release preset and starts the viewer on
# FILE, or on a bundled sample stream when no file is given.
set -euo pipefail
cd "$(dirname "$0")"

./scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)"

file="${1:-tests/data/tone_l2_44k_128k.mp2}"
exec build/release/bin/tamberly "$file"
