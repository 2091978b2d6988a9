#!/bin/sh
# Starts the viewer with data/ as its working directory. Where no X display can be reached, it
# runs the viewer for a few seconds on a virtual X server instead, saves a screenshot to
# BUILD_DIR/screenshot.png and says where it is.
# Usage: tools/run.sh [BUILD_DIR] [SECONDS]
set -eu

top=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-build}" && pwd)
seconds=${2:-4}
robot="$build/robot"
shot="$build/screenshot.png"

if [ "${ROBOT_HEADLESS:-}" != 1 ]; then
    if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
        cd "$top/data"
        exec "$robot"
    fi
    echo "No X display could be reached: running robot on a virtual X server for $seconds s."
    ROBOT_HEADLESS=1 exec "$top/tools/with-xvfb.sh" "$0" "$build" "$seconds"
fi

# On the virtual server: run, look, and end the viewer.
cd "$top/data"
"$robot" &
viewer=$!
sleep "$seconds"
if ! kill -0 $viewer 2>/dev/null; then
    wait $viewer && status=0 || status=$?
    echo "robot ended at start-up with status $status: are head.obj and wall7.bmp in data/?" >&2
    exit 1
fi
import -window root "$shot"

# Without a window manager the full-screen window may reach past the screen's edges; keep the
# part of the screen that the window covers.
info=$(xwininfo -name ROBOT)
value() { echo "$info" | sed -n "s/^ *$1: *//p"; }
x=$(value "Absolute upper-left X") y=$(value "Absolute upper-left Y")
w=$(value Width) h=$(value Height)
screen_w=$(xdpyinfo | sed -n 's/^ *dimensions: *\([0-9]*\)x\([0-9]*\).*/\1/p')
screen_h=$(xdpyinfo | sed -n 's/^ *dimensions: *\([0-9]*\)x\([0-9]*\).*/\2/p')
left=$((x > 0 ? x : 0)) top_=$((y > 0 ? y : 0))
right=$((x + w < screen_w ? x + w : screen_w)) bottom=$((y + h < screen_h ? y + h : screen_h))
convert "$shot" -crop "$((right - left))x$((bottom - top_))+$left+$top_" +repage "$shot"

kill $viewer
wait $viewer 2>/dev/null || true
echo "Screenshot saved: $shot"
