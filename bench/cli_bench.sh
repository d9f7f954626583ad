#!/usr/bin/env bash
# tamberly-cli side by side with FFmpeg on large inputs, made here in a
# temporary folder from the Layer II test fixture (3 s, 44.1 kHz, 128 kbit/s):
#   validate   a 1-hour Layer II file     vs  ffmpeg -v error -threads 1 -i X -f null -
#   frames     --all on a ~1 GB file      vs  ffprobe -v error -show_packets X
#   extract    the audio of a transport   vs  ffmpeg -v error -i X.ts -map 0:a -c copy -f mp2 Y
#              stream holding the 1-hour file
# Each command's median of several whole runs counts.
# The ratios are FFmpeg's time over tamberly-cli's: above 1 means
# tamberly-cli is faster.
#
#   bench/cli_bench.sh [<build folder>] [<runs>] [<hours>] [<GB>]
#   (defaults: build/release, 5, 1, 1; smaller sizes for a quick look)
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
# shellcheck source=bench/bench_common.sh
source "$here/bench_common.sh"
build="${1:-$here/../build/release}"
runs="${2:-5}"
hours="${3:-1}"
gigabytes="${4:-1}"
cli="$build/bin/tamberly-cli"
fixture="$here/../tests/data/tone_l2_44k_128k.mp2"
need_tools ffmpeg ffprobe bc
need_built "$build" tamberly-cli "$cli"

make_work_folder
hour="$work/hour.mp2"
big="$work/big.mp2"
ts="$work/hour.ts"

# Appends copies of a file to out until out reaches the wanted size.
repeat_to() {
  local source=$1 out=$2 bytes=$3
  : >"$out"
  while (($(stat -c %s "$out") < bytes)); do cat "$source" >>"$out"; done
}

echo "making the inputs in $work" >&2
copies=$(echo "$hours * 3600 / 3" | bc)
for ((i = 0; i < copies; ++i)); do cat "$fixture"; done >"$hour"
repeat_to "$hour" "$big" "$(echo "$gigabytes * 1000000000 / 1" | bc)"
ffmpeg -hide_banner -v error -y -i "$hour" -c:a copy -f mpegts "$ts"

# Outputs are rewritten on every run: --force and -y.
ours_validate=$(median_seconds "$cli" validate "$hour" --fail-on never)
peer_validate=$(median_seconds ffmpeg -v error -threads 1 -i "$hour" -f null -)
ours_frames=$(median_seconds "$cli" frames "$big" --all)
peer_frames=$(median_seconds ffprobe -v error -show_packets "$big")
ours_extract=$(median_seconds "$cli" extract "$ts" --stream 0 -o "$work/out.ours" --force)
peer_extract=$(median_seconds ffmpeg -v error -y -i "$ts" -map 0:a -c copy -f mp2 "$work/out.peer")
cmp -s "$hour" "$work/out.ours" || echo "warning: the extracted stream differs from the original" >&2

ratio() { printf '%.2f' "$(echo "$1 / $2" | bc -l)"; }
printf 'inputs: %s s of Layer II (%s bytes), %s bytes for frames, %s bytes of transport stream\n' \
  "$((copies * 3))" "$(stat -c %s "$hour")" "$(stat -c %s "$big")" "$(stat -c %s "$ts")"
printf '%-10s %16s %16s %8s\n' "command" "tamberly-cli s" "ffmpeg s" "ratio"
printf '%-10s %16.3f %16.3f %7sx\n' validate "$ours_validate" "$peer_validate" "$(ratio "$peer_validate" "$ours_validate")"
printf '%-10s %16.3f %16.3f %7sx\n' frames "$ours_frames" "$peer_frames" "$(ratio "$peer_frames" "$ours_frames")"
printf '%-10s %16.3f %16.3f %7sx\n' extract "$ours_extract" "$peer_extract" "$(ratio "$peer_extract" "$ours_extract")"
echo "ratio: FFmpeg's time / tamberly-cli's time (above 1: tamberly-cli is faster)"
