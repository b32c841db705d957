#!/usr/bin/env bash
# The character engine on a session bus of its own, as `horalia-agent serve` runs it when the clock does not:
# with Max and Plany shown, the time from a Speak call to the balloon and to the first sound (on a PulseAudio
# null sink), and the engine's memory with no character and with two.
# Usage: bench/service.sh [build folder] [runs]
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-${HORALIA_BUILD_DIR:-$top/build}}
runs=${2:-10}
# shellcheck source=../scripts/private-display.sh
. "$top/scripts/private-display.sh"
private_display 1280x1024
private_sound
mkdir -p "$XDG_DATA_HOME/horalia/msagent/chars"
cp "$build/bin/max.acs" "$build/bin/plany.acs" "$XDG_DATA_HOME/horalia/msagent/chars/"
dbus-daemon --session --nofork --nopidfile --address="unix:path=$work/bus" >/dev/null 2>&1 &
private_pids+=($!)
export DBUS_SESSION_BUS_ADDRESS=unix:path=$work/bus
for _ in $(seq 50); do [[ -S $work/bus ]] && break; sleep 0.1; done
"$build/bin/horalia-agent" serve --linger 30 2>"$work/engine.log" &
private_pids+=($!)
"$build/bin/service_timing" private_null.monitor "$runs"
