# Sourced by the scripts that run the program on a display of their own: private_display SIZE makes a private
# home (the XDG folders under $work, a temporary folder) and starts an Xvfb display of that size (1280x1024 when
# none is given); both go when the script ends, with any process whose id is added to $private_pids.
# shellcheck shell=bash
private_pids=()

private_display() {
    local size=${1:-1280x1024}
    work=$(mktemp -d)
    trap 'kill "${private_pids[@]}" 2>/dev/null || true; rm -rf "$work"' EXIT
    export XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data XDG_RUNTIME_DIR=$work/runtime
    mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
    local display=:$((90 + RANDOM % 100))
    Xvfb "$display" -screen 0 "${size}x24" -noreset >/dev/null 2>&1 &
    private_pids+=($!)
    export DISPLAY=$display QT_QPA_PLATFORM=xcb
    unset WAYLAND_DISPLAY
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
}

# A PulseAudio server of the private home's own with a null sink as its default output, so that programs play
# their sound at its real pace with no sound card; it goes with the display.
private_sound() {
    pulseaudio -n --daemonize=no --exit-idle-time=-1 --disallow-exit --log-target=stderr \
        -L module-native-protocol-unix -L "module-null-sink sink_name=private_null" 2>"$work/pulse.log" &
    private_pids+=($!)
    for _ in $(seq 100); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
    pactl set-default-sink private_null
}
