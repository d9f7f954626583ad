#!/usr/bin/env bash
# tamberly-cli validate and decode over batches of small files: 1,000 and
# 10,000 two-frame Layer II files cut from the test fixture, each batch in
# one call, with --jobs 1 and with the default (one job per core). Prints
# the wall-clock seconds and the largest resident set of each run; the
# resident set should stay about the same from 1,000 to 10,000 files.
#
#   bench/batch_bench.sh [<build folder>] [<files>]
#   (defaults: build/release, 10000)
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
# shellcheck source=bench/bench_common.sh
source "$here/bench_common.sh"
build="$(cd "${1:-$here/../build/release}" && pwd)"  # absolute: the runs change folder
files="${2:-10000}"
cli="$build/bin/tamberly-cli"
fixture="$here/../tests/data/tone_l2_44k_128k.mp2"
offsets="$here/../tests/data/tone_l2_44k_128k.ffprobe.csv"
need_tools /usr/bin/time awk seq xargs tee
need_built "$build" tamberly-cli "$cli"

make_work_folder
# The first two frames: up to the third frame's offset.
two_frames=$(awk -F, 'NR == 4 { print $1 }' "$offsets")
head -c "$two_frames" "$fixture" >"$work/two.mp2"

# make_batch FOLDER COUNT: COUNT copies named 00000.mp2 ... in FOLDER (tee
# writes each batch of names in one go: a copy per file would take minutes).
make_batch() {
  mkdir -p "$1"
  seq -f "$1/%05g.mp2" 0 $(($2 - 1)) |
    xargs -n 500 sh -c 'tee "$@" <"$0" >/dev/null' "$work/two.mp2"
}

# measure LABEL FOLDER COMMAND...: runs COMMAND in FOLDER on every file there.
measure() {
  local label=$1 folder=$2
  shift 2
  (cd "$folder" && /usr/bin/time -f "%e %M" -o "$work/time.txt" "$cli" "$@" ./*.mp2 >/dev/null 2>&1) || true
  # The last line: before it, time notes a non-zero exit status.
  read -r seconds kilobytes < <(tail -n 1 "$work/time.txt")
  printf '%-34s %8s s %8d KB max RSS\n' "$label" "$seconds" "$kilobytes"
}

echo "making $files files in $work" >&2
for count in 1000 "$files"; do
  make_batch "$work/b$count" "$count"
  for jobs in 1 default; do
    options=()
    [[ $jobs == default ]] || options=(--jobs "$jobs")
    measure "validate $count files, jobs $jobs" "$work/b$count" validate "${options[@]}"
    rm -f "$work/b$count"/*.wav
    measure "decode $count files, jobs $jobs" "$work/b$count" decode --force "${options[@]}"
  done
done
