#!/usr/bin/env bash
# Starts the viewer under a virtual X server (Xvfb) on a sample stream, moves
# the selection to the fourth frame, and writes a PNG of the main window.
#
#   tools/screenshot.sh [FILE] [OUTPUT]   # defaults: the bundled sample, docs/screenshot.png
#
# Needs Xvfb (package xvfb), xwininfo (x11-utils), xdotool (xdotool) and
# ImageMagick's import (imagemagick). The viewer's settings go to a throw-away folder, so the
# user's own are neither read nor changed.
set -euo pipefail
cd "$(dirname "$0")/.."

file="${1:-tests/data/tone_l2_44k_128k.mp2}"
output="${2:-docs/screenshot.png}"
viewer=build/release/bin/tamberly

if [ ! -x "$viewer" ]; then
  cmake --preset release >/dev/null
  cmake --build --preset release --target tamberly
fi

work="$(mktemp -d)"
xvfb_pid=""
viewer_pid=""
cleanup() {
  [ -n "$viewer_pid" ] && kill "$viewer_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# A free display number.
display_number=99
while [ -e "/tmp/.X11-unix/X$display_number" ] || [ -e "/tmp/.X$display_number-lock" ]; do
  display_number=$((display_number + 1))
done
export DISPLAY=":$display_number"
Xvfb "$DISPLAY" -screen 0 1400x800x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do
  xwininfo -root >/dev/null 2>&1 && break
  sleep 0.1
done

XDG_CONFIG_HOME="$work/config" QT_QPA_PLATFORM=xcb "$viewer" "$file" >"$work/viewer.log" 2>&1 &
viewer_pid=$!

# The main window, once the splash (3 s) has gone.
window=""
for _ in $(seq 100); do
  window="$(xwininfo -root -tree | awk '/"Tamberly\(/ { print $1; exit }')"
  [ -n "$window" ] && break
  sleep 0.1
done
if [ -z "$window" ]; then
  echo "the viewer's window did not appear" >&2
  cat "$work/viewer.log" >&2
  exit 1
fi
sleep 4

# Three times Down in the frame list (it has the focus after loading): the
# detail tree and the hex view's highlight follow the selected frame.
xdotool mousemove --window "$window" 400 200
xdotool key Down Down Down
sleep 1

mkdir -p "$(dirname "$output")"
import -window "$window" "$output"
echo "wrote $output"
