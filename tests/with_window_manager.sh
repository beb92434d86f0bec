#!/bin/sh
# Runs a command on $DISPLAY with a window manager (openbox) running, as on every desktop:
# windows are then placed, maximised and made full screen by the manager, not by the program.
# Without openbox the command runs alone (and says so).
if ! command -v openbox >/dev/null 2>&1; then
    echo "with_window_manager: openbox not installed, running without a window manager" >&2
    exec "$@"
fi
openbox --sm-disable >/dev/null 2>&1 &
wm=$!
# Ready once it has announced itself on the root window.
tries=0
while [ $tries -lt 100 ]; do
    if xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; then
        break
    fi
    tries=$((tries + 1))
    sleep 0.05
done
"$@"
status=$?
kill $wm 2>/dev/null
wait $wm 2>/dev/null
exit $status
