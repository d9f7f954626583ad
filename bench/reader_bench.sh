#!/usr/bin/env bash
# Speed of the threaded demultiplexing reader against the MPEG-2 plugin's own
# DemuxStreamToFile (and against its bare callback extraction): both extract the MPEG audio stream of the same transport
# stream of at least 500 MB (MPEG-2 video and Layer II audio, made here with
# ffmpeg in a temporary folder) into a file, one after the other, several
# times; the fastest run of each counts. Prints both times and the reader's
# speed as a fraction of the plugin's (target: at least 0.9).
#
#   bench/reader_bench.sh [<build folder>] [<runs>]   (default: build/release, 3)
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
# shellcheck source=bench/bench_common.sh
source "$here/bench_common.sh"
build="${1:-$here/../build/release}"
runs="${2:-3}"
bin="$build/bin"
program="$bin/reader_extract"
need_tools ffmpeg
for plugin in demo_ql_demux_mp2.so demo_demux_mp2.so; do
  [[ -f "$bin/$plugin" ]] || { echo "missing $bin/$plugin: build the MPEG-2 plugin first" >&2; exit 1; }
done
need_built "$build" reader_extract "$program"

make_work_folder
ts="$work/big.ts"
echo "making the transport stream..." >&2
ffmpeg -hide_banner -v error -y \
  -f lavfi -i "testsrc2=size=720x576:rate=25" \
  -f lavfi -i "sine=frequency=440:sample_rate=48000" \
  -t 210 -c:v mpeg2video -b:v 20M -minrate 20M -maxrate 20M -bufsize 2M \
  -c:a mp2 -b:a 256k -f mpegts "$ts"
size=$(stat -c %s "$ts")
(( size >= 500 * 1000 * 1000 )) || { echo "transport stream too small: $size bytes" >&2; exit 1; }

best_reader=""
best_plugin=""
best_callback=""
faster() { awk -v a="$1" -v b="$2" 'BEGIN { print (b == "" || a < b) ? a : b }'; }
for ((run = 1; run <= runs; run++)); do
  t=$("$program" plugin "$ts" "$work/plugin.mpa" "$bin")
  best_plugin=$(faster "$t" "$best_plugin")
  t=$("$program" reader "$ts" "$work/reader.mpa" "$bin" 2>/dev/null)
  best_reader=$(faster "$t" "$best_reader")
  t=$("$program" callback "$ts" "$work/none.mpa" "$bin")
  best_callback=$(faster "$t" "$best_callback")
done
cmp -s "$work/plugin.mpa" "$work/reader.mpa" || { echo "the two extractions differ" >&2; exit 1; }

echo "transport stream:        $size bytes"
echo "audio extracted:         $(stat -c %s "$work/reader.mpa") bytes"
echo "plugin DemuxStreamToFile: ${best_plugin} s"
echo "threaded reader:          ${best_reader} s"
echo "plugin callback only:     ${best_callback} s (the reader's ceiling)"
awk -v p="$best_plugin" -v r="$best_reader" 'BEGIN { printf "reader speed / plugin speed: %.2fx (target >= 0.9x)\n", p / r }'
