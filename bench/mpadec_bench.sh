#!/usr/bin/env bash
# Decoding speed of libmpadec against FFmpeg's floating-point decoders on
# 10-minute streams made here: Layer II (48 kHz 256 kbit/s stereo, 44.1 kHz
# 192 kbit/s joint stereo) against mp2float, and Layer III (128 kbit/s CBR,
# VBR, MPEG-2 LSF 22.05 kHz 64 kbit/s) against mp3float, and all five against
# mpg123 -t. All decoders run as whole processes on the same files, one after
# the other, several times, with their PCM dropped; the median run of each
# counts. Speed is seconds of audio decoded per second.
#
#   bench/mpadec_bench.sh [<build folder>] [<runs>]   (default: build/release, 5)
#
# With MPADEC_BENCH_STREAMS set to a folder, the streams are made there once
# and kept, so that later runs (and a profiler) can reuse them.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
# shellcheck source=bench/bench_common.sh
source "$here/bench_common.sh"
build="${1:-$here/../build/release}"
runs="${2:-5}"
decoder="$build/bin/mpadec_decode"
need_tools ffmpeg twolame lame mpg123 bc sort
need_built "$build" mpadec_decode "$decoder"

if [[ -n "${MPADEC_BENCH_STREAMS:-}" ]]; then
  work="$MPADEC_BENCH_STREAMS"
  mkdir -p "$work"
else
  make_work_folder
fi
seconds=600

# Music-like material: tones, chirps and a little noise, different per channel.
# The file of a stream: .mp2 for the l2_ names, .mp3 for the l3_ ones.
stream_file() { [[ "$1" == l2_* ]] && echo "$work/$1.mp2" || echo "$work/$1.mp3"; }

# make_stream <name> <rate> <encoder command...>: the encoder gets the WAVE
# file and the output name as its last two arguments.
make_stream() {
  local name="$1" rate="$2"
  shift 2
  [[ -s "$(stream_file "$name")" ]] && return
  ffmpeg -hide_banner -v error -y -f lavfi \
    -i "aevalsrc=(0.6+0.3*sin(2*PI*0.7*t))*(0.3*sin(2*PI*440*t)+0.2*sin(2*PI*(200+30*mod(t\,40))*t)+0.03*(2*random(0)-1))|(0.6+0.3*cos(2*PI*0.5*t))*(0.3*sin(2*PI*554*t)+0.2*sin(2*PI*(300+20*mod(t\,50))*t)+0.03*(2*random(1)-1)):s=$rate:d=$seconds" \
    -c:a pcm_s16le "$work/$name.wav"
  "$@" "$work/$name.wav" "$(stream_file "$name")"
  rm -f "$work/$name.wav"
}

echo "making the streams ($seconds s each) in $work" >&2
make_stream l2_48k_256k_stereo 48000 twolame --quiet -m s -b 256
make_stream l2_44k_192k_joint 44100 twolame --quiet -m j -b 192
make_stream l3_44k_128k_cbr 44100 lame --quiet -t --cbr -b 128
make_stream l3_44k_vbr 44100 lame --quiet -t -V 2
make_stream l3_22k_64k_lsf 22050 lame --quiet -t --cbr -b 64

# compare <name> <peer name> <peer command...>: the stream is the last argument.
compare() {
  local name="$1" peer="$2"
  shift 2
  local stream ours ours_cpu theirs theirs_cpu
  stream="$(stream_file "$name")"
  read -r ours ours_cpu < <(median_times "$decoder" "$stream")
  read -r theirs theirs_cpu < <(median_times "$@" "$stream")
  printf '%-20s %-7s %8.3f %7.0f %8.3f %7.0f %6.2f %8.3f %8.3f %6.2f\n' "$name" "$peer" "$ours" \
    "$(echo "$seconds / $ours" | bc -l)" "$theirs" "$(echo "$seconds / $theirs" | bc -l)" \
    "$(echo "$theirs / $ours" | bc -l)" "$ours_cpu" "$theirs_cpu" "$(echo "$theirs_cpu / $ours_cpu" | bc -l)"
}

printf '%-20s %-7s %8s %7s %8s %7s %6s %8s %8s %6s\n' stream peer "ours s" "ours x" "peer s" "peer x" ratio \
  "ours cpu" "peer cpu" "cpu r"
ffmpeg_decode() { ffmpeg -hide_banner -v error -threads 1 -c:a "$1" -i "$2" -f null -; }
for name in l2_48k_256k_stereo l2_44k_192k_joint l3_44k_128k_cbr l3_44k_vbr l3_22k_64k_lsf; do
  codec=mp3float
  [[ "$name" == l2_* ]] && codec=mp2float
  compare "$name" ffmpeg ffmpeg_decode "$codec"
  compare "$name" mpg123 mpg123 -q -t
done
echo "(s: median wall-clock seconds; x: seconds of audio per second; ratio: mpadec speed / peer speed;"
echo " cpu: median user + system seconds; cpu r: the ratio by CPU time)"
