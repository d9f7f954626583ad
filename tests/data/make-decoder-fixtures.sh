#!/usr/bin/env bash
# Regenerates the decoder fixtures in tests/data/mpadec: short Layer II
# streams from twolame and from ffmpeg's mp2 encoder, and for each one the
# reference PCM of ffmpeg's floating-point decoder (mp2float) rounded to
# 16 bits half away from zero with saturation, as signed 16-bit little-endian
# interleaved samples (<stream>.pcm).
#
#   tests/data/make-decoder-fixtures.sh
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
out="$here/mpadec"
for tool in ffmpeg twolame python3; do
  command -v "$tool" >/dev/null || { echo "missing tool: $tool" >&2; exit 1; }
done

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"

# Two different channels of tones, a fast chirp that crosses most subbands,
# a little noise and a slow swell, so that the encoders use many allocation
# values and scale factors, and intensity coding has something to share.
# make_source <rate> <channels> <seconds>
make_source() {
  local wav="$work/src_$1_$2_$3.wav"
  ffmpeg -hide_banner -v error -y -f lavfi \
    -i "aevalsrc=(0.6+0.3*sin(2*PI*3*t))*(0.35*sin(2*PI*440*t)+0.2*sin(2*PI*(100+6000*t)*t)+0.04*(2*random(0)-1))|(0.6+0.3*cos(2*PI*2*t))*(0.3*sin(2*PI*660*t)+0.2*sin(2*PI*(300+4000*t)*t)+0.04*(2*random(1)-1)):s=$1:d=$3" \
    -ac "$2" -c:a pcm_s16le -fflags +bitexact -flags:a +bitexact "$wav"
  echo "$wav"
}

# The reference PCM of a stream: float output rounded half away from zero.
# reference <stream>
reference() {
  ffmpeg -hide_banner -v error -y -threads 1 -c:a mp2float -i "$1" -f f32le "$work/ref.f32"
  python3 - "$work/ref.f32" "${1%.*}.pcm" <<'PY'
import array, sys
floats = array.array('f')
with open(sys.argv[1], 'rb') as f:
    floats.frombytes(f.read())
if sys.byteorder != 'little':
    floats.byteswap()
pcm = array.array('h')
for v in floats:
    t = v * 32768.0
    t = int(t + 0.5 if v > 0 else t - 0.5)
    pcm.append(32767 if t >= 32768 else -32768 if t < -32768 else t)
if sys.byteorder != 'little':
    pcm.byteswap()
with open(sys.argv[2], 'wb') as f:
    f.write(pcm.tobytes())
PY
}

# twolame_stream <name> <rate> <seconds> <twolame options...>
twolame_stream() {
  local name="$1" rate="$2" seconds="$3"
  shift 3
  local channels=2
  [[ " $* " == *" -m m "* ]] && channels=1
  twolame --quiet "$@" "$(make_source "$rate" "$channels" "$seconds")" "$out/$name.mp2"
  reference "$out/$name.mp2"
}

# ffmpeg_stream <name> <rate> <channels> <seconds> <bitrate>
ffmpeg_stream() {
  ffmpeg -hide_banner -v error -y -i "$(make_source "$2" "$3" "$4")" -c:a mp2 -b:a "$5" \
    -fflags +bitexact -flags:a +bitexact -f mp2 "$out/$1.mp2"
  reference "$out/$1.mp2"
}

# MPEG-1: every allocation table (B.2a at 48 kHz and at 44.1/32 kHz with
# 56-80 kbit/s per channel, B.2b from 96 kbit/s per channel, B.2c and B.2d
# at low rates), mono, stereo, joint stereo, dual channel, with and without
# CRC, padded frames.
twolame_stream tl_48k_stereo_192k_crc 48000 0.5 -m s -b 192 -p
twolame_stream tl_48k_stereo_96k 48000 0.5 -m s -b 96
twolame_stream tl_44k_joint_128k_crc 44100 0.6 -m j -b 128 -p -d
twolame_stream tl_44k_dual_256k 44100 0.5 -m d -b 256
twolame_stream tl_32k_mono_48k_crc 32000 1 -m m -b 48 -p
twolame_stream tl_32k_joint_64k 32000 0.6 -m j -b 64
ffmpeg_stream ff_44k_stereo_192k 44100 2 0.5 192k
ffmpeg_stream ff_48k_mono_64k 48000 1 0.6 64k
ffmpeg_stream ff_32k_stereo_64k 32000 2 0.6 64k
ffmpeg_stream ff_48k_stereo_384k 48000 2 0.3 384k

# MPEG-2 low sampling frequencies (ISO/IEC 13818-3 table B.1).
twolame_stream tl_lsf_24k_stereo_96k_crc 24000 0.8 -m s -b 96 -p
twolame_stream tl_lsf_22k_joint_64k 22050 0.8 -m j -b 64
ffmpeg_stream ff_lsf_16k_mono_32k 16000 1 1 32k

du -ch "$out" | tail -n 1
