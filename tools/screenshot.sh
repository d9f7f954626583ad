#!/usr/bin/env bash
# Starts the viewer under a virtual X server (Xvfb) on a sample stream and
# writes a PNG of one of its windows:
#   main        the main window, the selection moved to the fourth frame;
#   extraction  the stream choice a container file opens with, the audio
#               stream selected;
#   validation  Tools > Validation after a validation run.
#
#   tools/screenshot.sh [--window main|extraction|validation] [FILE] [OUTPUT]
#
# Defaults: docs/screenshot.png of the bundled sample, docs/screenshot-extraction.png
# of tests/data/demux/l2_mpeg2video.ts, docs/screenshot-validation.png of
# tests/data/validation/faulty_l2_48k.mp2.
#
# Needs Xvfb (package xvfb), xwininfo (x11-utils), xdotool (xdotool) and
# ImageMagick's import (imagemagick). The viewer's settings go to a throw-away folder, so the
# user's own are neither read nor changed.
set -euo pipefail
cd "$(dirname "$0")/.."

shot=main
if [ "${1:-}" = "--window" ]; then
  shot="${2:-}"
  shift 2 || shift
fi
case "$shot" in
  main) file="${1:-tests/data/tone_l2_44k_128k.mp2}" output="${2:-docs/screenshot.png}" ;;
  extraction) file="${1:-tests/data/demux/l2_mpeg2video.ts}" output="${2:-docs/screenshot-extraction.png}" ;;
  validation) file="${1:-tests/data/validation/faulty_l2_48k.mp2}" output="${2:-docs/screenshot-validation.png}" ;;
  *)
    echo "usage: $0 [--window main|extraction|validation] [FILE] [OUTPUT]" >&2
    exit 2
    ;;
esac
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

# The id of the first window whose title starts with $1 (an awk pattern),
# waiting up to 20 s for it.
find_window() {
  local id=""
  for _ in $(seq 200); do
    id="$(xwininfo -root -tree | awk -v title="$1" '$0 ~ "^ *0x[0-9a-f]+ \"" title { print $1; exit }')"
    [ -n "$id" ] && break
    sleep 0.1
  done
  if [ -z "$id" ]; then
    echo "no window titled $1 appeared" >&2
    cat "$work/viewer.log" >&2
    exit 1
  fi
  echo "$id"
}

# Keys go to the window under the pointer once it has the focus.
focus() {
  xdotool mousemove --window "$1" 400 200
  xdotool windowfocus --sync "$1"
}

case "$shot" in
  main)
    # Once the splash (3 s) has gone: three times Down in the frame list (it
    # has the focus after loading); the detail tree and the hex view's
    # highlight follow the selected frame.
    window="$(find_window 'Tamberly\\(')"
    sleep 4
    focus "$window"
    xdotool key Down Down Down
    ;;
  extraction)
    # Down selects the second stream, the audio one, which enables
    # "Demultiplex and Load".
    window="$(find_window 'Extract Elementary Stream')"
    sleep 4
    xdotool mousemove --window "$window" 10 10
    xdotool windowfocus --sync "$window"
    xdotool key Down
    ;;
  validation)
    # Tools is the third menu and Validation its second item. "Start
    # Validation" is the bottom row's first button. The window is widened so
    # that the whole report list shows.
    main_window="$(find_window 'Tamberly\\(')"
    sleep 4
    focus "$main_window"
    xdotool key --delay 200 alt+f Right Right Down Return
    window="$(find_window 'Media Validation')"
    sleep 1
    xdotool windowsize --sync "$window" 1200 352
    xdotool windowmove --sync "$window" 100 100
    sleep 1
    height="$(xwininfo -id "$window" | awk '/Height:/ { print $2 }')"
    xdotool mousemove --window "$window" 20 $((height - 22)) click 1
    sleep 5
    xdotool mousemove --window "$window" 600 5
    ;;
esac
sleep 1

mkdir -p "$(dirname "$output")"
import -window "$window" "$output"
echo "wrote $output"
