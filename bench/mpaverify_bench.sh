#!/usr/bin/env bash
# Validation speed of libmpaverify against FFmpeg decoding the same file: a
# 1-hour Layer II stream (48 kHz, 192 kbit/s stereo) made here in a temporary
# folder, fed to the validator in 1 MiB chunks (mpaverify_run) and decoded by
# `ffmpeg -threads 1 -v error -i X -f null -`. The median of several whole
# runs of each counts. Also times the frame walker alone, to show where the
# time goes.
#
#   bench/mpaverify_bench.sh [<build folder>] [<runs>]   (default: build/release, 5)
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
# shellcheck source=bench/bench_common.sh
source "$here/bench_common.sh"
build="${1:-$here/../build/release}"
runs="${2:-5}"
runner="$build/bin/mpaverify_run"
need_tools ffmpeg bc
need_built "$build" mpaverify_run "$runner"

make_work_folder
seconds=3600
stream="$work/l2_48k_192k.mp2"

echo "making a $seconds s Layer II stream in $work" >&2
ffmpeg -hide_banner -v error -y -f lavfi \
  -i "aevalsrc=(0.6+0.3*sin(2*PI*0.7*t))*(0.3*sin(2*PI*440*t)+0.2*sin(2*PI*(200+30*mod(t\,40))*t)+0.03*(2*random(0)-1))|(0.6+0.3*cos(2*PI*0.5*t))*(0.3*sin(2*PI*554*t)+0.2*sin(2*PI*(300+20*mod(t\,50))*t)+0.03*(2*random(1)-1)):s=48000:d=$seconds" \
  -c:a mp2 -b:a 192k "$stream"
bytes=$(stat -c %s "$stream")

"$runner" "$stream" >/dev/null  # counts on standard error
validator=$(median_seconds "$runner" "$stream")
walker=$(median_seconds "$runner" --walker-only "$stream")
peer=$(median_seconds ffmpeg -threads 1 -v error -i "$stream" -f null -)

rate() { echo "scale=1; $1 / $2" | bc -l; }
printf '%-22s %10s %12s %14s\n' "" "seconds" "MB/s" "audio s / s"
for row in "mpaverify:$validator" "  walker only:$walker" "ffmpeg -threads 1:$peer"; do
  name="${row%%:*}" t="${row#*:}"
  printf '%-22s %10.3f %12s %14s\n' "$name" "$t" "$(rate "$bytes / 1000000" "$t")" "$(rate "$seconds" "$t")"
done
echo "ratio (ffmpeg time / mpaverify time): $(echo "scale=2; $peer / $validator" | bc -l)x  (target >= 2.5)"
echo "walker share of the validator's time: $(echo "scale=1; 100 * $walker / $validator" | bc -l)%  (the rest: decoding)"
