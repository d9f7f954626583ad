#!/usr/bin/env bash
# Repair speed of `tamberly-cli repair` on a file of about <size> MB: one
# minute of lame VBR material repeated, with a run of junk after every copy
# and the last frame cut short, so that the repair drops junk, drops a cut
# frame and rewrites the VBR header. The input is read once before the runs
# (warm page cache); the fastest of <runs> runs counts, and the figure is
# input MB per second of wall-clock time.
#
#   bench/repair_bench.sh [<build folder>] [<size in MB>] [<runs>]   (default: build/release, 1024, 3)
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
# shellcheck source=bench/bench_common.sh
source "$here/bench_common.sh"
build="${1:-$here/../build/release}"
megabytes="${2:-1024}"
runs="${3:-3}"
cli="$build/bin/tamberly-cli"
need_tools ffmpeg lame bc /usr/bin/time
need_built "$build" tamberly-cli "$cli"

make_work_folder

echo "making the input in $work" >&2
ffmpeg -hide_banner -v error -y -f lavfi \
  -i "aevalsrc=(0.6+0.3*sin(2*PI*0.7*t))*(0.3*sin(2*PI*440*t)+0.03*(2*random(0)-1))|(0.6+0.3*cos(2*PI*0.5*t))*(0.3*sin(2*PI*554*t)+0.03*(2*random(1)-1)):s=44100:d=60" \
  "$work/minute.wav"
lame --quiet -V 2 "$work/minute.wav" "$work/head.mp3"   # with its Xing/LAME frame
lame --quiet -t -V 2 "$work/minute.wav" "$work/minute.mp3"
head -c 300 /dev/zero | tr '\0' '\021' >"$work/junk"
bytes=$(stat -c %s "$work/minute.mp3")
copies=$(((megabytes * 1000000 + bytes - 1) / bytes))
{
  cat "$work/head.mp3"
  for ((i = 0; i < copies; ++i)); do cat "$work/minute.mp3" "$work/junk"; done
  head -c 200 "$work/minute.mp3"
} >"$work/big.mp3"
rm -f "$work/minute.wav"
cat "$work/big.mp3" >/dev/null

# Wall-clock and processor seconds of each run; the fastest wall clock counts
# (the processor time tells how busy the machine was besides).
best="" cpu=""
for ((run = 0; run < runs; ++run)); do
  rm -f "$work/out.mp3"
  start=$EPOCHREALTIME
  /usr/bin/time -f "%U %S" -o "$work/cpu.txt" "$cli" repair "$work/big.mp3" -o "$work/out.mp3" >"$work/report.txt"
  elapsed=$(echo "$EPOCHREALTIME - $start" | bc -l)
  if [[ -z "$best" ]] || (($(echo "$elapsed < $best" | bc -l))); then
    best=$elapsed
    cpu=$(awk '{print $1 + $2}' "$work/cpu.txt")
  fi
done

size=$(stat -c %s "$work/big.mp3")
echo "command: tamberly-cli repair big.mp3 -o out.mp3"
echo "input: $((size / 1000000)) MB, output: $(($(stat -c %s "$work/out.mp3") / 1000000)) MB"
tail -2 "$work/report.txt"
printf 'seconds: %.3f wall clock, %.3f processor (user + system)\n' "$best" "$cpu"
echo "repair: $(echo "scale=1; $size / 1000000 / $best" | bc -l) MB/s  (target >= 500 MB/s warm)"
