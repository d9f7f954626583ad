#!/usr/bin/env bash
# Checking speed of the stream checker (mpacheck_run, every frame's CRC
# verified) against mp3val and against FFmpeg decoding with its CRC check
# (`ffmpeg -v error -err_detect crccheck -i F -f null -`) on the same files:
# a Layer III stream (lame -p, 128 kbit/s) and a Layer II stream (twolame -p,
# 48 kHz 256 kbit/s), each about <size> MB, made here from one minute of
# material repeated. The fastest of <runs> runs of each tool counts; ratios
# are the peer's time over the checker's.
#
#   bench/mpacheck_bench.sh [<build folder>] [<size in MB>] [<runs>]   (default: build/release, 1024, 1)
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
# shellcheck source=bench/bench_common.sh
source "$here/bench_common.sh"
build="${1:-$here/../build/release}"
megabytes="${2:-1024}"
runs="${3:-1}"
checker="$build/bin/mpacheck_run"
need_tools ffmpeg lame twolame mp3val bc
need_built "$build" mpacheck_run "$checker"

make_work_folder

echo "making one minute of material in $work" >&2
ffmpeg -hide_banner -v error -y -f lavfi \
  -i "aevalsrc=(0.6+0.3*sin(2*PI*0.7*t))*(0.3*sin(2*PI*440*t)+0.2*sin(2*PI*(200+30*mod(t\,40))*t)+0.03*(2*random(0)-1))|(0.6+0.3*cos(2*PI*0.5*t))*(0.3*sin(2*PI*554*t)+0.2*sin(2*PI*(300+20*mod(t\,50))*t)+0.03*(2*random(1)-1)):s=48000:d=60" \
  "$work/minute.wav"
# Without a Xing/Info frame (-t) the copies make one plain stream.
lame --quiet -t -p -b 128 --resample 44.1 "$work/minute.wav" "$work/minute.mp3"
twolame --quiet -p -b 256 "$work/minute.wav" "$work/minute.mp2"

# Repeats a piece until the file holds about $megabytes MB.
grow() {
  local piece="$1" out="$2" bytes
  bytes=$(stat -c %s "$piece")
  local copies=$(((megabytes * 1000000 + bytes - 1) / bytes))
  for ((i = 0; i < copies; ++i)); do cat "$piece"; done >"$out"
}
grow "$work/minute.mp3" "$work/big_l3.mp3"
grow "$work/minute.mp2" "$work/big_l2.mp2"

# Wall-clock seconds of the fastest of $runs runs of a command.
fastest() {
  local best="" start elapsed
  for ((run = 0; run < runs; ++run)); do
    start=$EPOCHREALTIME
    "$@" >/dev/null 2>&1 || true
    elapsed=$(echo "$EPOCHREALTIME - $start" | bc -l)
    if [[ -z "$best" ]] || (($(echo "$elapsed < $best" | bc -l))); then best=$elapsed; fi
  done
  echo "$best"
}

rate() { echo "scale=1; $1 / $2" | bc -l; }
echo "command: mpacheck_run --quiet F | mp3val F | ffmpeg -v error -err_detect crccheck -i F -f null -"
for file in "$work/big_l3.mp3" "$work/big_l2.mp2"; do
  bytes=$(stat -c %s "$file")
  "$checker" "$file" | tail -1 >&2  # the summary: every frame checked, nothing found
  check=$(fastest "$checker" --quiet "$file")
  val=$(fastest mp3val "$file")
  peer=$(fastest ffmpeg -v error -err_detect crccheck -i "$file" -f null -)
  echo
  echo "$(basename "$file"): $((bytes / 1000000)) MB"
  printf '  %-40s %10s %10s\n' "" "seconds" "MB/s"
  for row in "mpacheck_run:$check" "mp3val:$val" "ffmpeg -err_detect crccheck:$peer"; do
    name="${row%%:*}" t="${row#*:}"
    printf '  %-40s %10.3f %10s\n' "$name" "$t" "$(rate "$bytes / 1000000" "$t")"
  done
  echo "  ratio mp3val / mpacheck: $(echo "scale=2; $val / $check" | bc -l)x  (target >= 1.0)"
  echo "  ratio ffmpeg / mpacheck: $(echo "scale=2; $peer / $check" | bc -l)x  (target: far above 1)"
done
