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

. "$top/scripts/private-display.sh"
private_display

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
