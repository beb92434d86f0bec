#!/bin/sh
# Runs a command as on GNOME on Wayland: a headless Wayland compositor (weston) with XWayland
# beside it, WAYLAND_DISPLAY and DISPLAY both set, the compositor acting as the X window
# manager. Screenshots of the compositor's output are allowed (weston-screenshooter).
# Usage: with_weston.sh [--size WxH] command...
# Exits 77 (skipped, and says so) when weston or Xwayland is not installed.
width=1280
height=800
if [ "$1" = "--size" ]; then
    width=${2%x*}
    height=${2#*x}
    shift 2
fi
for tool in weston Xwayland; do
    if ! command -v $tool >/dev/null 2>&1; then
        echo "with_weston: $tool not installed, SKIPPED (apt-get install weston xwayland)"
        exit 77
    fi
done
runtime=$(mktemp -d)
chmod 700 "$runtime"
export XDG_RUNTIME_DIR="$runtime"
socket=wayland-tm
weston --no-config --backend=headless-backend.so --use-pixman --xwayland --socket=$socket \
    --width="$width" --height="$height" --idle-time=0 --debug --log="$runtime/weston.log" \
    >/dev/null 2>&1 &
compositor=$!
# The compositor goes with this script, however it ends.
trap 'kill $compositor 2>/dev/null; rm -rf "$runtime"' EXIT
trap 'exit 1' INT TERM
# Ready once its socket is there and XWayland listens.
display=""
tries=0
while [ $tries -lt 200 ]; do
    if [ -S "$runtime/$socket" ]; then
        display=$(sed -n 's/.*xserver listening on display \(:[0-9]*\).*/\1/p' \
            "$runtime/weston.log" 2>/dev/null | head -n 1)
        [ -n "$display" ] && break
    fi
    tries=$((tries + 1))
    sleep 0.05
done
if [ -z "$display" ]; then
    echo "with_weston: weston did not start" >&2
    cat "$runtime/weston.log" >&2
    exit 1
fi
echo "with_weston: ${width}x${height}, WAYLAND_DISPLAY=$socket DISPLAY=$display"
WAYLAND_DISPLAY=$socket DISPLAY=$display "$@"
exit $?
