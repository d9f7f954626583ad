#!/usr/bin/env bash
# Regenerates the container fixtures of the demultiplexer tests in demux/
# with Debian's ffmpeg. Audio that the tests compare is copied into the
# containers (-c copy) or muxed from raw samples kept beside them, so that
# what comes out of a container can be checked byte for byte.
#
#   tests/data/make-demux-fixtures.sh
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
out="$here/demux"
command -v ffmpeg >/dev/null || { echo "missing tool: ffmpeg" >&2; exit 1; }

mkdir -p "$out"
cd "$out"

ff() { ffmpeg -hide_banner -nostdin -loglevel error -y "$@"; }
exact=(-fflags +bitexact -flags +bitexact)
# A tiny picture: the video is only there to be listed and skipped.
video() { echo "testsrc=size=32x32:rate=25:duration=$1"; }
l2_44k="$here/tone_l2_44k_128k.mp2"  # MPEG-1 Layer II, 44.1 kHz, 3 s
l2_24k="$here/crc_l2_lsf_24k_64k.mp2"  # MPEG-2 Layer II, 24 kHz, 0.3 s

# The 44.1 kHz Layer II stream beside MPEG-2 video, in a transport stream and
# in an MPEG-2 program stream.
ff -f lavfi -i "$(video 1)" -i "$l2_44k" -map 0:v -map 1:a \
  -c:v mpeg2video -b:v 16k -g 25 -c:a copy "${exact[@]}" -f mpegts l2_mpeg2video.ts
ff -f lavfi -i "$(video 1)" -i "$l2_44k" -map 0:v -map 1:a \
  -c:v mpeg2video -b:v 16k -g 25 -c:a copy "${exact[@]}" -f vob l2_mpeg2video.mpg

# Two programs of three streams each: MPEG-2 video, the 44.1 kHz Layer II
# stream and AC-3; MPEG-1 video, the 24 kHz Layer II stream and AAC.
ff -f lavfi -i "$(video 1)" -i "$l2_44k" -i "$l2_24k" \
  -f lavfi -i "sine=frequency=440:sample_rate=48000:duration=0.5" \
  -map 0:v -map 1:a -map 3:a -map 0:v -map 2:a -map 3:a \
  -c:v:0 mpeg2video -c:v:1 mpeg1video -b:v 16k -g 25 \
  -c:a:0 copy -c:a:1 ac3 -b:a:1 64k -c:a:2 copy -c:a:3 aac -b:a:3 32k \
  -program title=first:st=0:st=1:st=2 -program title=second:st=3:st=4:st=5 \
  "${exact[@]}" -f mpegts two_programs.ts

# Raw PCM sources, 48 kHz: a stereo 16-bit tone pair, and two mono tracks
# (16- and 24-bit) for MXF.
tones="0.4*sin(2*PI*440*t)+0.1*sin(2*PI*5000*t)|0.3*sin(2*PI*660*t)-0.1*sin(2*PI*7000*t)"
ff -f lavfi -i "aevalsrc=$tones:s=48000:d=0.1" -c:a pcm_s16le -f s16le pcm_stereo.s16le
ff -f lavfi -i "aevalsrc=0.4*sin(2*PI*440*t):s=48000:d=0.2" -c:a pcm_s16le -f s16le pcm_mono.s16le
ff -f lavfi -i "aevalsrc=0.3*sin(2*PI*1000*t):s=48000:d=0.2" -c:a pcm_s24le -f s24le pcm_mono.s24le

# MXF: MPEG-2 video and the two mono PCM tracks, copied.
ff -f lavfi -i "$(video 0.2)" -f s16le -ar 48000 -ac 1 -i pcm_mono.s16le -f s24le -ar 48000 -ac 1 -i pcm_mono.s24le \
  -map 0:v -map 1:a -map 2:a -c:v mpeg2video -b:v 16k -g 5 -c:a copy "${exact[@]}" -f mxf video_two_pcm.mxf

# The stereo source as DVD LPCM in a program stream, in 16 bits and widened
# to 24 bits (each sample shifted up by 8), as HDMV LPCM in a Blu-ray
# transport stream (192-byte packets, where the HDMV stream types apply) and
# as SMPTE 302M in a transport stream.
stereo=(-f s16le -ar 48000 -ac 2 -i pcm_stereo.s16le)
ff "${stereo[@]}" -c:a pcm_dvd "${exact[@]}" -f vob lpcm_16bit.mpg
ff "${stereo[@]}" -c:a pcm_dvd -sample_fmt s32 "${exact[@]}" -f vob lpcm_24bit.mpg
ff "${stereo[@]}" -c:a pcm_bluray "${exact[@]}" -f mpegts -mpegts_m2ts_mode 1 hdmv_lpcm.m2ts
ff "${stereo[@]}" -c:a s302m -strict experimental "${exact[@]}" -f mpegts s302m.ts

# One transport stream of further codecs, for the media type codes: H.264,
# HEVC, MPEG-4 video, E-AC-3 and DTS, a few frames each.
ff -f lavfi -i "$(video 0.2)" -f lavfi -i "sine=frequency=440:sample_rate=48000:duration=0.2" \
  -map 0:v -map 0:v -map 0:v -map 1:a -map 1:a \
  -c:v:0 libx264 -preset ultrafast -c:v:1 libx265 -preset ultrafast -x265-params log-level=none \
  -c:v:2 mpeg4 -c:a:0 eac3 -b:a:0 64k -c:a:1 dca -b:a:1 320k -strict experimental \
  "${exact[@]}" -f mpegts codecs.ts

# MPEG audio in the containers of the other plugins, copied, each file
# checked against ffmpeg's own extraction, which must give the source back:
# MP4 (MP3, header first; MP2 and MP3 as two tracks, header last) and
# QuickTime (MP2) beside H.264,
# QuickTime with ProRes video, WAVE with Layer II (format tag 0x0050) and
# Layer III (0x0055), AVI with MPEG-4 video and CBR or VBR (16 kHz) MP3, and
# ASF with MP3.
l2="$here/crc_l2_44k_256k_stereo.mp2"
l3="$here/crc_l3_44k_64k_mono.mp3"
l3_vbr="$here/lsf_l3_16k_vbr.mp3"
h264=(-c:v libx264 -preset ultrafast -threads 1)
ff -f lavfi -i "$(video 0.4)" -i "$l3" -map 0:v -map 1:a "${h264[@]}" -c:a copy "${exact[@]}" -movflags +faststart \
  -f mp4 mp3_h264.mp4
ff -f lavfi -i "$(video 0.4)" -i "$l2" -i "$l3" -map 0:v -map 1:a -map 2:a "${h264[@]}" -c:a copy "${exact[@]}" \
  -f mp4 h264_mp2_mp3.mp4
ff -f lavfi -i "$(video 0.4)" -i "$l2" -map 0:v -map 1:a "${h264[@]}" -c:a copy "${exact[@]}" -f mov h264_mp2.mov
ff -f lavfi -i "$(video 0.2)" -i "$l2" -map 0:v -map 1:a -c:v prores_ks -profile:v 0 -c:a copy "${exact[@]}" \
  -movflags +faststart -f mov prores_mp2.mov
ff -i "$l2" -c copy "${exact[@]}" -f wav l2.wav
ff -i "$l3" -c copy "${exact[@]}" -f wav l3.wav
ff -f lavfi -i "$(video 0.4)" -i "$l3" -map 0:v -map 1:a -c:v mpeg4 -c:a copy "${exact[@]}" -f avi mpeg4_mp3_cbr.avi
ff -f lavfi -i "$(video 0.4)" -i "$l3_vbr" -map 0:v -map 1:a -c:v mpeg4 -c:a copy "${exact[@]}" -f avi mpeg4_mp3_vbr.avi
ff -i "$l3" -c copy "${exact[@]}" -f asf mp3.asf
same_as_ffmpeg() {  # file, audio track, source
  ff -i "$1" -map "0:a:$2" -c copy -f mp2 extracted.tmp
  cmp extracted.tmp "$3" || { echo "$1: ffmpeg extracts other bytes than $3" >&2; exit 1; }
  rm extracted.tmp
}
same_as_ffmpeg mp3_h264.mp4 0 "$l3"
same_as_ffmpeg h264_mp2_mp3.mp4 0 "$l2"
same_as_ffmpeg h264_mp2_mp3.mp4 1 "$l3"
same_as_ffmpeg h264_mp2.mov 0 "$l2"
same_as_ffmpeg prores_mp2.mov 0 "$l2"
same_as_ffmpeg l2.wav 0 "$l2"
same_as_ffmpeg l3.wav 0 "$l3"
same_as_ffmpeg mpeg4_mp3_cbr.avi 0 "$l3"
same_as_ffmpeg mpeg4_mp3_vbr.avi 0 "$l3_vbr"
same_as_ffmpeg mp3.asf 0 "$l3"

ls -l "$out"
