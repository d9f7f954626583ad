#!/usr/bin/env bash
# Decoding speed of libmpadec against FFmpeg's floating-point Layer II decoder
# on two 10-minute Layer II streams made here (48 kHz 256 kbit/s stereo and
# 44.1 kHz 192 kbit/s joint stereo). Both decoders run as whole processes on
# the same files, one after the other, several times; the fastest run of each
# counts. Speed is seconds of audio decoded per second.
#
#   bench/mpadec_bench.sh [<build folder>] [<runs>]   (default: build/release, 3)
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
build="${1:-$here/../build/release}"
runs="${2:-3}"
decoder="$build/bin/mpadec_decode"
for tool in ffmpeg twolame; do
  command -v "$tool" >/dev/null || { echo "missing tool: $tool" >&2; exit 1; }
done
if [[ ! -x "$decoder" ]]; then
  echo "building mpadec_decode in $build" >&2
  cmake --build "$build" --target mpadec_decode >&2
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
seconds=600

# Music-like material: tones, chirps and a little noise, different per channel.
# make_stream <name> <rate> <twolame options...>
make_stream() {
  local name="$1" rate="$2"
  shift 2
  ffmpeg -hide_banner -v error -y -f lavfi \
    -i "aevalsrc=(0.6+0.3*sin(2*PI*0.7*t))*(0.3*sin(2*PI*440*t)+0.2*sin(2*PI*(200+30*mod(t\,40))*t)+0.03*(2*random(0)-1))|(0.6+0.3*cos(2*PI*0.5*t))*(0.3*sin(2*PI*554*t)+0.2*sin(2*PI*(300+20*mod(t\,50))*t)+0.03*(2*random(1)-1)):s=$rate:d=$seconds" \
    -c:a pcm_s16le "$work/$name.wav"
  twolame --quiet "$@" "$work/$name.wav" "$work/$name.mp2"
  rm -f "$work/$name.wav"
}

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

echo "making the streams ($seconds s each) in $work" >&2
make_stream l2_48k_256k_stereo 48000 -m s -b 256
make_stream l2_44k_192k_joint 44100 -m j -b 192

printf '%-22s %12s %12s %12s %12s %8s\n' stream "mpadec s" "mpadec x" "ffmpeg s" "ffmpeg x" ratio
for name in l2_48k_256k_stereo l2_44k_192k_joint; do
  stream="$work/$name.mp2"
  ours=$(fastest "$decoder" "$stream")
  theirs=$(fastest ffmpeg -hide_banner -v error -threads 1 -c:a mp2float -i "$stream" -f null -)
  printf '%-22s %12.3f %12.0f %12.3f %12.0f %8.2f\n' "$name" "$ours" "$(echo "$seconds / $ours" | bc -l)" \
    "$theirs" "$(echo "$seconds / $theirs" | bc -l)" "$(echo "$theirs / $ours" | bc -l)"
done
echo "(x: seconds of audio per second; ratio: mpadec speed / ffmpeg speed)"
