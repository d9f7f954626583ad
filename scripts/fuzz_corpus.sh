#!/usr/bin/env bash
# Folds what scripts/fuzz.sh learnt back into the seed corpora kept in the
# repository: for each target with a work corpus under WORK (default:
# build/fuzz/corpus), the inputs of at most MAX_BYTES (default 4096) bytes are
# merged with libFuzzer's -merge=1 into a fresh fuzz/corpus/<target>, which
# keeps the fewest inputs that reach the same edges (hit counts are left out,
# so that a corpus stays a few dozen files).
#
#   scripts/fuzz_corpus.sh [WORK] [MAX_BYTES]
set -euo pipefail
cd "$(dirname "$0")/.."

work="${1:-build/fuzz/corpus}"
max_bytes="${2:-4096}"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

for target in build/fuzz/bin/*_fuzz; do
  name=$(basename "$target")
  [ -d "$work/$name" ] || continue
  mkdir -p "$scratch/$name/small" "$scratch/$name/merged"
  find "$work/$name" fuzz/corpus/"$name" -maxdepth 1 -type f -size -"$((max_bytes + 1))"c \
    -exec cp {} "$scratch/$name/small/" \; 2>/dev/null || true
  "$target" -merge=1 -use_counters=0 -max_len="$max_bytes" "$scratch/$name/merged" "$scratch/$name/small" >"$scratch/$name.log" 2>&1
  rm -rf fuzz/corpus/"$name"
  mkdir -p fuzz/corpus/"$name"
  cp "$scratch/$name/merged"/* fuzz/corpus/"$name"/ 2>/dev/null || true
  printf '%-24s %4s seeds\n' "$name" "$(ls fuzz/corpus/"$name" | wc -l)"
done
