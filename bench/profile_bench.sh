#!/usr/bin/env bash
# What a delivery profile costs: `tamberly-cli validate` with and without
# `--profile` on a 1-hour Layer II stream (the 3 s test fixture repeated),
# the two runs taking turns so that a busy machine slows both alike. The
# fastest run of each counts. The profile judges the stream from the facts
# the checker hands over while it reads, with no second pass, so the target
# is at most 5 % more time.
#
#   bench/profile_bench.sh [<build folder>] [<runs>] [<profile>]   (default: build/release, 5, dab)
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
# shellcheck source=bench/bench_common.sh
source "$here/bench_common.sh"
build="${1:-$here/../build/release}"
runs="${2:-5}"
profile="${3:-dab}"
cli="$build/bin/tamberly-cli"
fixture="$here/../tests/data/tone_l2_44k_128k.mp2"
need_tools bc
need_built "$build" tamberly-cli "$cli"

make_work_folder
hour="$work/hour.mp2"
for ((i = 0; i < 1200; ++i)); do cat "$fixture"; done >"$hour"

# Seconds of one validate run with the extra arguments given.
validate_seconds() {
  local start=$EPOCHREALTIME
  "$cli" validate "$hour" --fail-on never "$@" >/dev/null 2>&1 || true
  echo "$EPOCHREALTIME - $start" | bc -l
}

lower() { if [[ -z "$1" ]] || (($(echo "$2 < $1" | bc -l))); then echo "$2"; else echo "$1"; fi; }

plain="" judged=""
for ((run = 0; run < runs; ++run)); do
  plain=$(lower "$plain" "$(validate_seconds)")
  judged=$(lower "$judged" "$(validate_seconds --profile "$profile")")
done

echo "input: 1 h of Layer II ($(stat -c %s "$hour") bytes), fastest of $runs runs each"
printf '%-28s %8.3f s\n' "validate" "$plain" "validate --profile $profile" "$judged"
echo "profile cost: $(echo "scale=1; 100 * ($judged - $plain) / $plain" | bc -l)%  (target <= 5%)"
