#!/bin/sh
# Runs a command with DISPLAY set to a private virtual X server (Xvfb) that lives as long as
# the command. The screen is 1280x1024 with 24-bit colour unless XVFB_SCREEN says otherwise.
# Usage: tools/with-xvfb.sh COMMAND [ARGUMENT...]
set -eu

screen=${XVFB_SCREEN:-1280x1024x24}
work=$(mktemp -d)
# Xvfb picks a free display number and writes it to descriptor 3 once it accepts clients.
Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp -noreset 3>"$work/display" 2>"$work/log" &
server=$!
trap 'kill $server 2>/dev/null; wait $server 2>/dev/null; rm -rf "$work"' EXIT
trap 'exit 130' INT TERM

tries=0
until [ -s "$work/display" ]; do
    if ! kill -0 $server 2>/dev/null || [ $tries -ge 300 ]; then
        echo "with-xvfb: Xvfb did not start:" >&2
        cat "$work/log" >&2
        exit 1
    fi
    tries=$((tries + 1))
    sleep 0.1
done
DISPLAY=:$(head -n 1 "$work/display")
export DISPLAY

status=0
"$@" || status=$?
exit $status
