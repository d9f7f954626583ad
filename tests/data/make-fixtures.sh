#!/usr/bin/env bash
# Regenerates the encoded fixtures in this folder with Debian's twolame, lame
# and ffmpeg. The output is deterministic: the same tools give the same bytes.
#
#   tests/data/make-fixtures.sh
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
for tool in ffmpeg ffprobe twolame lame; do
  command -v "$tool" >/dev/null || { echo "missing tool: $tool" >&2; exit 1; }
done

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# A stereo source of two tones, each with a slow chirp on top, so that the
# encoders spread the bit allocation over many subbands.
# make_source <rate> <channels> <seconds>
make_source() {
  local out="$work/src_$1_$2_$3.wav"
  ffmpeg -hide_banner -v error -y -f lavfi \
    -i "aevalsrc=0.4*sin(2*PI*440*t)+0.2*sin(2*PI*(200+1500*t)*t)|0.4*sin(2*PI*660*t)+0.2*sin(2*PI*(300+1200*t)*t):s=$1:d=$3" \
    -ac "$2" -c:a pcm_s16le -fflags +bitexact -flags:a +bitexact "$out"
  echo "$out"
}

# Frame offsets and sizes of an elementary stream as ffprobe's parser sees
# them, one frame a line.
# golden <stream>
golden() {
  local csv="${1%.*}.ffprobe.csv"
  {
    echo "offset,size"
    ffprobe -v error -show_packets -show_entries packet=pos,size -of csv=p=0:nk=1 "$1" |
      awk -F, '{ print $2 "," $1 }'
  } >"$csv"
}

cd "$here"

# Elementary streams with their golden frame lists. twolame pads only when
# asked (-d); at 44.1 kHz that makes the frame length alternate.
twolame --quiet -d -b 128 "$(make_source 44100 2 3)" tone_l2_44k_128k.mp2
twolame --quiet -p -b 192 "$(make_source 48000 2 2)" tone_l2_48k_192k_crc.mp2
lame --quiet --cbr -b 128 -t --noreplaygain "$(make_source 44100 2 3)" tone_l3_44k_128k.mp3
lame --quiet --cbr -b 128 -t --noreplaygain -p "$(make_source 44100 2 2)" tone_l3_44k_crc.mp3
for stream in tone_l2_44k_128k.mp2 tone_l2_48k_192k_crc.mp2 tone_l3_44k_128k.mp3 tone_l3_44k_crc.mp3; do
  golden "$stream"
done

# The 44.1 kHz Layer II stream in an MPEG-2 transport and program stream.
ffmpeg -hide_banner -v error -y -i tone_l2_44k_128k.mp2 -c:a copy -fflags +bitexact -f mpegts tone_l2.ts
ffmpeg -hide_banner -v error -y -i tone_l2_44k_128k.mp2 -c:a copy -fflags +bitexact -f mpeg tone_l2.mpg

# Short protected streams, one for each way the CRC coverage is chosen:
# the Layer II allocation tables (by bitrate per channel and sampling rate,
# and the lower-sampling-rate table) and the Layer III side information sizes.
twolame --quiet -p -m s -b 256 "$(make_source 44100 2 0.3)" crc_l2_44k_256k_stereo.mp2
twolame --quiet -p -m j -b 64 "$(make_source 44100 2 0.3)" crc_l2_44k_64k_joint.mp2
twolame --quiet -p -m s -b 64 "$(make_source 32000 2 0.3)" crc_l2_32k_64k_stereo.mp2
twolame --quiet -p -m m -b 56 "$(make_source 32000 1 0.3)" crc_l2_32k_56k_mono.mp2
twolame --quiet -p -m d -b 96 "$(make_source 48000 2 0.3)" crc_l2_48k_96k_dual.mp2
twolame --quiet -p -b 64 "$(make_source 24000 2 0.3)" crc_l2_lsf_24k_64k.mp2
lame --quiet --cbr -p -t -m m -b 64 "$(make_source 44100 1 0.3)" crc_l3_44k_64k_mono.mp3
lame --quiet --cbr -p -t -b 64 "$(make_source 22050 2 0.3)" crc_l3_lsf_22k_64k.mp3
lame --quiet --cbr -p -t -m m -b 32 "$(make_source 22050 1 0.3)" crc_l3_lsf_22k_32k_mono.mp3
lame --quiet --cbr -p -t -m m -b 16 --resample 8 "$(make_source 22050 1 0.5)" crc_l3_mpeg25_8k_mono.mp3

# MPEG-2 (low sampling frequency) and MPEG-2.5 streams with their golden
# frame lists. lame runs with -t so that no Info/Xing frame precedes the
# audio frames, and with --resample where it would otherwise lower the rate.
# Layer II at the three low sampling frequencies, as DAB uses them.
twolame --quiet -b 32 -m m "$(make_source 16000 1 2)" lsf_l2_16k_32k_mono.mp2
twolame --quiet -d -b 48 "$(make_source 22050 2 2)" lsf_l2_22k_48k.mp2
twolame --quiet -p -b 64 "$(make_source 24000 2 1)" lsf_l2_24k_64k_crc.mp2
# Layer III: MPEG-2 CBR and VBR, MPEG-2.5 CBR and VBR.
lame --quiet --cbr -t -b 32 --resample 22.05 "$(make_source 22050 2 1)" lsf_l3_22k_32k.mp3
lame --quiet --cbr -t -p -b 64 "$(make_source 24000 2 1)" lsf_l3_24k_64k_crc.mp3
lame --quiet -t -V 6 "$(make_source 16000 2 1)" lsf_l3_16k_vbr.mp3
lame --quiet --cbr -t -m m -b 16 "$(make_source 8000 1 2)" mpeg25_l3_8k_16k_mono.mp3
lame --quiet -t -V 6 "$(make_source 11025 2 2)" mpeg25_l3_11k_vbr.mp3
lame --quiet --cbr -t -b 24 --resample 12 "$(make_source 12000 2 2)" mpeg25_l3_12k_24k.mp3
for stream in lsf_l2_16k_32k_mono.mp2 lsf_l2_22k_48k.mp2 lsf_l2_24k_64k_crc.mp2 lsf_l3_22k_32k.mp3 \
  lsf_l3_24k_64k_crc.mp3 lsf_l3_16k_vbr.mp3 mpeg25_l3_8k_16k_mono.mp3 mpeg25_l3_11k_vbr.mp3 mpeg25_l3_12k_24k.mp3; do
  golden "$stream"
done


ls -l "$here"
