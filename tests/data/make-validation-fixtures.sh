#!/usr/bin/env bash
# Regenerates the validation fixtures in validation/ with Debian's twolame and
# ffmpeg. The output is deterministic: the same tools give the same bytes.
#
#   tests/data/make-validation-fixtures.sh
#
# validation/faulty_l2_48k.mp2: MPEG-1 Layer II, 48 kHz, stereo, no CRC:
#   - 21 frames at 128 kbit/s (384 bytes), with 10 junk bytes ("JUNK BYTES")
#     after the 5th;
#   - then 21 frames at 256 kbit/s (768 bytes), whose 4th (frame 24 counted
#     from 0) has its padding bit set and one padding byte more.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
for tool in ffmpeg twolame od dd; do
  command -v "$tool" >/dev/null || { echo "missing tool: $tool" >&2; exit 1; }
done

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# The two-tone source of make-fixtures.sh, half a second at 48 kHz.
ffmpeg -hide_banner -v error -y -f lavfi \
  -i "aevalsrc=0.4*sin(2*PI*440*t)+0.2*sin(2*PI*(200+1500*t)*t)|0.4*sin(2*PI*660*t)+0.2*sin(2*PI*(300+1200*t)*t):s=48000:d=0.5" \
  -ac 2 -c:a pcm_s16le -fflags +bitexact -flags:a +bitexact "$work/source.wav"
twolame --quiet -b 128 "$work/source.wav" "$work/slow.mp2"
twolame --quiet -b 256 "$work/source.wav" "$work/fast.mp2"

# bytes <file> <offset> <count>
bytes() { dd if="$1" bs=4096 iflag=skip_bytes,count_bytes skip="$2" count="$3" status=none; }
size() { stat -c %s "$1"; }

slow=384
fast=768
padded=3  # index of the padded frame within the 256 kbit/s part
header_byte2=$(od -An -tu1 -j $((padded * fast + 2)) -N 1 "$work/fast.mp2" | tr -d ' ')

out="$here/validation/faulty_l2_48k.mp2"
mkdir -p "$(dirname "$out")"
{
  bytes "$work/slow.mp2" 0 $((5 * slow))
  printf 'JUNK BYTES'
  bytes "$work/slow.mp2" $((5 * slow)) $(($(size "$work/slow.mp2") - 5 * slow))
  bytes "$work/fast.mp2" 0 $((padded * fast + 2))
  printf "\\$(printf '%03o' $((header_byte2 | 2)))"
  bytes "$work/fast.mp2" $((padded * fast + 3)) $((fast - 3))
  printf '\000'
  bytes "$work/fast.mp2" $(((padded + 1) * fast)) $(($(size "$work/fast.mp2") - (padded + 1) * fast))
} >"$out"
echo "wrote $out ($(size "$out") bytes)"
