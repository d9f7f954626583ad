#!/usr/bin/env bash
# Extraction speed of a demultiplexer plugin against ffmpeg on one container
# of at least 500 MB made here: a transport stream (MPEG-2 plugin), an MP4
# file (MP4 plugin) or an AVI file (AVI plugin), each with video at about
# 12 Mbit/s (MPEG-2 in the transport stream, MPEG-4 Part 2 in the others)
# and a 384 kbit/s Layer II stream. Both take the Layer II stream
# out of the same file in the same run, as whole processes, several times
# after one read that brings the file into the page cache; the fastest run of
# each counts. Speed is megabytes of container read per second; the ratio is
# ours over ffmpeg's. Both outputs are compared byte for byte.
#
#   bench/demux_bench.sh [<build folder>] [<runs>] [<megabytes>] [ts|mp4|avi]
#                        (default: build/release, 3, 500, ts)
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
# shellcheck source=bench/bench_common.sh
source "$here/bench_common.sh"
build="${1:-$here/../build/release}"
runs="${2:-3}"
megabytes="${3:-500}"
container="${4:-ts}"
case "$container" in
  ts) plugin=demo_ql_demux_mp2 video=mpeg2video muxer=mpegts ;;
  mp4) plugin=demo_ql_demux_mp4 video=mpeg4 muxer=mp4 ;;
  avi) plugin=demo_ql_demux_avi video=mpeg4 muxer=avi ;;
  *) echo "unknown container: $container (ts, mp4 or avi)" >&2; exit 2 ;;
esac
host="$build/bin/demux_extract"
need_tools ffmpeg bc cmp
need_built "$build" demux_extract "$host"

make_work_folder

# A 20-second segment, then copies of it joined into one continuous stream
# (ffmpeg loops its input and rewrites the timestamps) until it is large
# enough.
echo "making a $container file of at least $megabytes MB in $work" >&2
ffmpeg -hide_banner -nostdin -v error -y \
  -f lavfi -i "testsrc2=size=1280x720:rate=25:duration=20" \
  -f lavfi -i "sine=frequency=440:sample_rate=48000:duration=20" \
  -c:v "$video" -q:v 2 -g 25 -c:a mp2 -b:a 384k -f "$muxer" "$work/segment.$container"
segment=$(stat -c %s "$work/segment.$container")
loops=$(((megabytes * 1000000 + segment - 1) / segment - 1))
ffmpeg -hide_banner -nostdin -v error -y -stream_loop "$loops" -i "$work/segment.$container" -map 0 -c copy \
  -f "$muxer" "$work/in.$container"
rm -f "$work/segment.$container"
input="$work/in.$container"
size=$(stat -c %s "$input")
cat "$input" >/dev/null

# Wall-clock seconds of the fastest of $runs runs of a command.
fastest() {
  local best="" start elapsed
  for ((run = 0; run < runs; ++run)); do
    start=$EPOCHREALTIME
    "$@" >/dev/null 2>&1
    elapsed=$(echo "$EPOCHREALTIME - $start" | bc -l)
    if [[ -z "$best" ]] || (($(echo "$elapsed < $best" | bc -l))); then best=$elapsed; fi
  done
  echo "$best"
}

ours=$(fastest "$host" "$plugin" "$input" "$work/ours.mp2")
theirs=$(fastest ffmpeg -hide_banner -nostdin -v error -y -i "$input" -map 0:a -c copy -f mp2 "$work/ffmpeg.mp2")
same="identical"
cmp -s "$work/ours.mp2" "$work/ffmpeg.mp2" || same="different"

mbps() { echo "scale=1; $size / 1000000 / $1" | bc -l; }
printf 'container: %.1f MB, Layer II stream: %.1f MB (outputs %s)\n' \
  "$(echo "$size / 1000000" | bc -l)" "$(echo "$(stat -c %s "$work/ours.mp2") / 1000000" | bc -l)" "$same"
printf '%-34s %8.3f s %8s MB/s\n' "$plugin DemuxStreamToFile" "$ours" "$(mbps "$ours")"
printf '%-34s %8.3f s %8s MB/s\n' "ffmpeg -c copy -f mp2" "$theirs" "$(mbps "$theirs")"
printf 'ratio: %.2fx\n' "$(echo "$theirs / $ours" | bc -l)"
