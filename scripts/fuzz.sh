#!/usr/bin/env bash
# Runs every fuzz target in turn (or the ones named) until each has used
# CPU_MINUTES minutes of processor time (default 20), and prints, per target,
# the CPU time, runs done, coverage reached and whether it found anything.
# Processor time, not wall time, is what is counted, so a run under `nice`
# on a busy machine still does the work it reports. Each target starts from
# its seed corpus in the repository (fuzz/corpus/<target>) and the test
# streams, and keeps what it learns in a corpus folder of its own under WORK
# (default: build/fuzz/corpus), so that a later run goes on from there
# (scripts/fuzz_corpus.sh folds it back into the seeds). Findings (crash-*,
# leak-*, timeout-*) are written into WORK/findings.
#
#   scripts/fuzz.sh [CPU_MINUTES] [WORK] [TARGET ...]
#
# FUZZ_BIN (default build/fuzz/bin) runs already built targets from another
# folder, so that rebuilding the tree does not change them mid-run.
set -euo pipefail
cd "$(dirname "$0")/.."

minutes="${1:-20}"
work="${2:-build/fuzz/corpus}"
shift $(( $# < 2 ? $# : 2 ))
seconds=$(awk -v m="$minutes" 'BEGIN { s = int(m * 60); print (s < 1 ? 1 : s) }')
bin="${FUZZ_BIN:-build/fuzz/bin}"

if [ -z "${FUZZ_BIN:-}" ]; then
  cmake --preset fuzz >/dev/null
  cmake --build --preset fuzz >/dev/null
fi
mkdir -p "$work/findings"

cpu_seconds() {
  awk -v hz="$(getconf CLK_TCK)" '{ print int(($14 + $15) / hz) }' "/proc/$1/stat" 2>/dev/null || echo 0
}

# Runs the fuzzer until it has used the CPU budget, then interrupts it. The
# interrupt is the expected end: libFuzzer then exits with 72 and says so in
# its log; any other failure is a finding.
run_for_cpu() {
  local target=$1 corpus=$2 log=$3 name
  name=$(basename "$target")
  "$target" -max_total_time=$((seconds * 50)) -max_len=65536 -print_final_stats=1 \
    -artifact_prefix="$work/findings/$name-" "$corpus" >"$log" 2>&1 &
  local pid=$! used=0
  while kill -0 "$pid" 2>/dev/null; do
    sleep 2
    used=$(cpu_seconds "$pid")
    if [ "$used" -ge "$seconds" ]; then
      kill -INT "$pid" 2>/dev/null || true
      break
    fi
  done
  echo "$used" >"$log.cpu"
  local code=0
  wait "$pid" || code=$?
  [ "$code" -eq 0 ] || { [ "$code" -eq 72 ] && grep -q 'libFuzzer: run interrupted' "$log"; }
}

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for target in "$bin"/*_fuzz; do targets+=("$(basename "$target")"); done
fi

status=0
for name in "${targets[@]}"; do
  corpus="$work/$name"
  if [ ! -d "$corpus" ]; then
    mkdir -p "$corpus"
    find tests/data -maxdepth 2 -type f -size -64k \( -name '*.mp2' -o -name '*.mp3' -o -name '*.ts' \
      -o -name '*.mxf' -o -name '*.mp4' -o -name '*.mov' -o -name '*.wav' -o -name '*.avi' -o -name '*.asf' \) \
      -exec cp {} "$corpus/" \;
  fi
  if [ -d "fuzz/corpus/$name" ]; then cp -n fuzz/corpus/"$name"/* "$corpus/" 2>/dev/null || true; fi
  log="$work/$name.log"
  if run_for_cpu "$bin/$name" "$corpus" "$log"; then
    verdict="no finding"
  else
    verdict="FINDING (see $log)"
    status=1
  fi
  runs=$(grep -o 'stat::number_of_executed_units: [0-9]*' "$log" | awk '{ print $2 }' || true)
  coverage=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1 | awk '{ print $2 }' || true)
  printf '%-24s cpu %6ss  runs %-11s coverage %-6s %s\n' "$name" "$(cat "$log.cpu")" "${runs:-?}" \
    "${coverage:-?}" "$verdict"
done
exit $status
