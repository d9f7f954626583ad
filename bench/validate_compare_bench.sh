#!/usr/bin/env bash
# Two builds of `tamberly-cli validate` side by side on a 1-hour Layer II
# file made here from the Layer II test fixture (3 s, 44.1 kHz, 128 kbit/s):
# for example the program of the main branch, copied aside, against a build
# of a change to the validation run. The runs alternate between the two so
# that the load of a shared machine falls on both; the fastest run of each
# counts. The ratio is the second's time over the first's: 1.10 means the
# second takes 10 % longer.
#
#   bench/validate_compare_bench.sh <first tamberly-cli> <second tamberly-cli> [<runs>] [<hours>]
#   (defaults: 7 runs, 1 hour)
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
# shellcheck source=bench/bench_common.sh
source "$here/bench_common.sh"
first="${1:?the first tamberly-cli}"
second="${2:?the second tamberly-cli}"
runs="${3:-7}"
hours="${4:-1}"
fixture="$here/../tests/data/tone_l2_44k_128k.mp2"
need_tools bc

make_work_folder
hour="$work/hour.mp2"
copies=$(echo "$hours * 3600 / 3" | bc)
for ((i = 0; i < copies; ++i)); do cat "$fixture"; done >"$hour"

seconds() {
  local start
  start=$(date +%s.%N)
  "$1" validate "$hour" --fail-on never >/dev/null 2>&1 || true
  echo "$(date +%s.%N) - $start" | bc -l
}

best_first="" best_second=""
for ((run = 0; run < runs; ++run)); do
  a=$(seconds "$first")
  b=$(seconds "$second")
  if [[ -z "$best_first" ]] || (($(echo "$a < $best_first" | bc -l))); then best_first=$a; fi
  if [[ -z "$best_second" ]] || (($(echo "$b < $best_second" | bc -l))); then best_second=$b; fi
done

printf 'input: %s s of Layer II (%s bytes), fastest of %s runs each\n' "$((copies * 3))" "$(stat -c %s "$hour")" "$runs"
printf '%-8s %10.3f s  %s\n' first "$best_first" "$first"
printf '%-8s %10.3f s  %s\n' second "$best_second" "$second"
printf 'ratio    %10.2f\n' "$(echo "$best_second / $best_first" | bc -l)"
