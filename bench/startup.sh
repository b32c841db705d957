#!/usr/bin/env bash
# Start-up of the desktop clock, from the process start to its window on screen, under Xvfb: the median of
# ten starts, and the peak memory of each run (before the characters load, which is 2 seconds in).
# A bare Qt window is measured the same way beside it, as the floor.
# Usage: bench/startup.sh [path/to/horalia]
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
program=${1:-${HORALIA_BUILD_DIR:-$top/build}/bin/horalia}
bare=$(dirname "$program")/bare_window
runs=10

work=$(mktemp -d)
trap 'kill "$xvfb" 2>/dev/null || true; rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1280x1024x24 -noreset >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=$display
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

# measure PROGRAM WINDOW-CLASS LABEL
measure() {
    local program=$1 class=$2 label=$3 times=() start end pid
    for i in $(seq "$runs"); do
        start=$(date +%s%N)
        /usr/bin/time -f '%M' -o "$work/rss.$class.$i" "$program" >/dev/null 2>&1 &
        pid=$!
        until xdotool search --onlyvisible --class "$class" >/dev/null 2>&1; do
            if ! kill -0 "$pid" 2>/dev/null || (( $(date +%s%N) - start > 20000000000 )); then
                echo "$label: no window within 20 s" >&2
                exit 1
            fi
        done
        end=$(date +%s%N)
        times+=($(( (end - start) / 1000 )))
        sleep 0.5
        pkill -TERM -f "^$program\$" || true
        wait "$pid" 2>/dev/null || true
    done
    local sorted=($(printf '%s\n' "${times[@]}" | sort -n))
    local median=$(( (sorted[runs / 2 - 1] + sorted[runs / 2]) / 2 ))
    local peak=$(sort -n "$work"/rss."$class".* | tail -1)
    printf '%-12s start-up to window shown: median %d.%03d ms over %d runs (min %d.%03d, max %d.%03d); peak memory %d kB\n' \
        "$label" $((median / 1000)) $((median % 1000)) "$runs" $((sorted[0] / 1000)) $((sorted[0] % 1000)) \
        $((sorted[runs - 1] / 1000)) $((sorted[runs - 1] % 1000)) "$peak"
}

measure "$bare" bare_window "bare window"
measure "$program" horalia "clock"
