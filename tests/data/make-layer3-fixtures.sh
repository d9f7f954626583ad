#!/usr/bin/env bash
# Regenerates the Layer III decoder fixtures in tests/data/mpadec/layer3:
# short streams from lame, made with -t so that no tag frame precedes the
# audio, and for each one the reference PCM of mpg123's floating-point output
# (-e f32) rounded to 16 bits half away from zero with saturation, as signed
# 16-bit little-endian interleaved samples (<stream>.pcm).
#
# Without a tag frame the reference decoder knows nothing of the encoder
# delay: like the library, it outputs every frame from the first one, so
# sample 0 of the reference is sample 0 of the first frame.
#
# mpg123 rather than ffmpeg: ffmpeg 5.1's mp3float decodes several frames of
# lame_lsf_24k_mono_32k differently from both mpg123 and this library (by
# thousands of LSB); on every other fixture the two agree within 1 LSB.
#
#   tests/data/make-layer3-fixtures.sh
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
out="$here/mpadec/layer3"
for tool in ffmpeg lame mpg123 python3; do
  command -v "$tool" >/dev/null || { echo "missing tool: $tool" >&2; exit 1; }
done

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"

# Two different channels of tones, a chirp across most of the spectrum, a
# little noise and a slow swell: long blocks, mid/side and a busy reservoir.
# tones <rate> <channels> <seconds>
tones() {
  local wav="$work/src_$1_$2_$3.wav"
  ffmpeg -hide_banner -v error -y -f lavfi \
    -i "aevalsrc=(0.6+0.3*sin(2*PI*3*t))*(0.35*sin(2*PI*440*t)+0.2*sin(2*PI*(100+5000*t)*t)+0.04*(2*random(0)-1))|(0.6+0.3*cos(2*PI*2*t))*(0.3*sin(2*PI*660*t)+0.2*sin(2*PI*(300+3000*t)*t)+0.04*(2*random(1)-1)):s=$1:d=$3" \
    -ac "$2" -c:a pcm_s16le -fflags +bitexact -flags:a +bitexact "$wav"
  echo "$wav"
}

# Quiet tones broken every 0.15 s by a loud 10 ms noise burst: the attacks
# make the encoder switch to short blocks through start and stop windows.
# transients <rate> <seconds>
transients() {
  local wav="$work/hits_$1_$2.wav"
  ffmpeg -hide_banner -v error -y -f lavfi \
    -i "aevalsrc=0.05*sin(2*PI*330*t)+lt(mod(t\,0.15)\,0.01)*0.8*(2*random(0)-1)|0.05*sin(2*PI*495*t)+lt(mod(t+0.05\,0.15)\,0.01)*0.8*(2*random(1)-1):s=$1:d=$2" \
    -c:a pcm_s16le -fflags +bitexact -flags:a +bitexact "$wav"
  echo "$wav"
}

# The reference PCM of a stream: float output rounded half away from zero.
reference() {
  mpg123 --quiet --no-gapless --encoding f32 --stdout "$1" >"$work/ref.f32"
  python3 - "$work/ref.f32" "${1%.*}.pcm" <<'PY'
import array, sys
floats = array.array('f')
with open(sys.argv[1], 'rb') as f:
    floats.frombytes(f.read())
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

# stream <name> <source wav> <rate> <lame options...>
stream() {
  local name="$1" wav="$2" rate="$3"
  shift 3
  lame --quiet -t --noreplaygain --resample "$rate" "$@" "$wav" "$out/$name.mp3"
  reference "$out/$name.mp3"
}

# MPEG-1 at the three sampling rates: joint stereo (mid/side), stereo at the
# top bitrate, VBR, mono.
stream lame_44k_joint_128k "$(tones 44100 2 0.6)" 44.1 -m j -b 128
stream lame_44k_stereo_320k "$(tones 44100 2 0.4)" 44.1 -m s -b 320
stream lame_44k_joint_vbr "$(tones 44100 2 0.6)" 44.1 -m j -V 2
stream lame_44k_mono_64k "$(tones 44100 1 0.8)" 44.1 -m m -b 64
stream lame_32k_joint_96k "$(tones 32000 2 0.6)" 32 -m j -b 96
stream lame_48k_stereo_160k "$(tones 48000 2 0.5)" 48 -m s -b 160
# Short blocks with start and stop windows.
stream lame_44k_transients_128k "$(transients 44100 0.6)" 44.1 -m j -b 128
# MPEG-2 low sampling frequencies.
stream lame_lsf_16k_joint_48k "$(tones 16000 2 1)" 16 -m j -b 48
stream lame_lsf_22k_joint_64k "$(tones 22050 2 0.8)" 22.05 -m j -b 64
stream lame_lsf_24k_mono_32k "$(tones 24000 1 1.2)" 24 -m m -b 32
stream lame_lsf_22k_transients_64k "$(transients 22050 0.8)" 22.05 -m j -b 64

du -ch "$out" | tail -n 1
