#!/usr/bin/env bash
# Runs every fuzz target in turn for MINUTES minutes each (default 20) and
# prints, per target, the runs done, the coverage reached and whether it
# found anything. Each target starts from its seed corpus in the repository
# (fuzz/corpus/<target>) and the test streams, and keeps what it learns in a
# corpus folder of its own under WORK (default: build/fuzz/corpus), so that a
# later run goes on from there (scripts/fuzz_corpus.sh folds it back into the
# seeds). Findings (crash-*, leak-*, timeout-*) are written into WORK/findings.
#
#   scripts/fuzz.sh [MINUTES] [WORK]
set -euo pipefail
cd "$(dirname "$0")/.."

minutes="${1:-20}"
work="${2:-build/fuzz/corpus}"
seconds=$(awk -v m="$minutes" 'BEGIN { s = int(m * 60); print (s < 1 ? 1 : s) }')

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz >/dev/null
mkdir -p "$work/findings"

status=0
for target in build/fuzz/bin/*_fuzz; do
  name=$(basename "$target")
  corpus="$work/$name"
  if [ ! -d "$corpus" ]; then
    mkdir -p "$corpus"
    find tests/data -maxdepth 2 -type f -size -64k \( -name '*.mp2' -o -name '*.mp3' -o -name '*.ts' \
      -o -name '*.mxf' -o -name '*.mp4' -o -name '*.mov' -o -name '*.wav' -o -name '*.avi' -o -name '*.asf' \) \
      -exec cp {} "$corpus/" \;
  fi
  if [ -d "fuzz/corpus/$name" ]; then cp -n fuzz/corpus/"$name"/* "$corpus/" 2>/dev/null || true; fi
  log="$work/$name.log"
  if "$target" -max_total_time="$seconds" -max_len=65536 -artifact_prefix="$work/findings/$name-" \
      "$corpus" >"$log" 2>&1; then
    verdict="no finding"
  else
    verdict="FINDING (see $log)"
    status=1
  fi
  runs=$(grep -o 'Done [0-9]* runs' "$log" | awk '{ print $2 }' || true)
  coverage=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1 | awk '{ print $2 }' || true)
  printf '%-24s %6ss  runs %-10s coverage %-6s %s\n' "$name" "$seconds" "${runs:-?}" "${coverage:-?}" "$verdict"
done
exit $status
