#!/usr/bin/env bash
# Start-up of the desktop clock as a returning user whose settings name max and plany, under a private Xvfb:
# from the process start to the clock window painted, to the first character's window viewable and to the
# second's, each beside a bare Qt window started the same way in the same run (the floor), and the peak
# memory of each once everything awaited is on screen. Ten starts of each, in turns; the median is shown.
# The windows are watched from outside by bench/window_times, which starts each program itself and ends
# only that process, by its id.
# Usage: bench/startup.sh [path/to/horalia]
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
program=${1:-${HORALIA_BUILD_DIR:-$top/build}/bin/horalia}
bin=$(dirname "$program")
runs=${HORALIA_STARTUP_RUNS:-10}

. "$top/scripts/private-display.sh"
private_display
# A plain root, so that a window not yet drawn on shows one colour whatever lies under it.
xsetroot -solid '#3a5f7f'
# A tray host, as on a user's desktop, so that the clock's start includes its tray icon.
if command -v trayer >/dev/null; then
    trayer --edge top --align right --widthtype request --height 24 --SetDockType false \
        --SetPartialStrut false >/dev/null 2>&1 &
    private_pids+=($!)
    for _ in $(seq 100); do xwininfo -root -children | grep -q '"panel"' && break; sleep 0.1; done
fi

# A returning user: the characters in the character folder and named in the settings, so the clock starts
# rather than the first run's terms.
chars=$XDG_DATA_HOME/horalia/msagent/chars
mkdir -p "$chars" "$XDG_CONFIG_HOME/HoraliaIIV"
cp "$bin/max.acs" "$bin/plany.acs" "$chars/"
printf '[Data]\nLastCharacter=max\nLastCharacter2=plany\n' >"$XDG_CONFIG_HOME/HoraliaIIV/settings.ini"

results=$work/startup
mkdir -p "$results"
for i in $(seq "$runs"); do
    "$bin/window_times" painted:bare_window -- "$bin/bare_window" >"$results/bare.$i"
    "$bin/window_times" --timeout 30 painted:horalia viewable:Max viewable:Plany -- "$program" \
        >"$results/clock.$i" 2>/dev/null
    sleep 0.3
done

python3 - "$results" "$runs" <<'PY'
import glob, statistics, sys
results, runs = sys.argv[1], int(sys.argv[2])
def read(side):
    figures = {}
    for path in glob.glob(f"{results}/{side}.*"):
        for line in open(path):
            *key, value = line.split()
            if value != "none" and float(value) >= 0:
                figures.setdefault(" ".join(key), []).append(float(value))
    return figures
bare, clock = read("bare"), read("clock")
floor = bare.get("painted bare_window")
if not floor:
    sys.exit("startup: the bare window was never painted")
base = statistics.median(floor)
print(f"{runs} starts of each in turns; median ms from the process start (fastest-slowest)")
print(f"  bare Qt window painted        {base:7.1f}  ({min(floor):.1f}-{max(floor):.1f})")
# The clock sets its characters up 2 s after it starts and shows the second 8 s after the first (waits of its
# own); the figures beyond those waits are what loading and drawing a character costs.
for key, label, wait in (("painted horalia", "clock window painted", 0),
                         ("viewable Max", "character 1 (max) viewable", 2000),
                         ("viewable Plany", "character 2 (plany) viewable", 10000)):
    t = clock.get(key)
    if not t:
        print(f"  {label:29} never seen")
        continue
    m = statistics.median(t)
    line = f"  {label:29} {m:7.1f}  ({min(t):.1f}-{max(t):.1f}; {len(t)} of {runs})   "
    if wait:
        line += f"{m - wait:.1f} ms beyond the clock's own {wait / 1000:.0f} s of waits, "
    print(line + f"{(m - wait) / base:.2f} times the bare window")
for side, name in ((bare, "bare Qt window"), (clock, "clock, with both characters shown")):
    peak = side.get("peak-kib", [])
    if peak:
        print(f"  peak memory, {name}: median {statistics.median(peak) / 1024:.1f} MB (max {max(peak) / 1024:.1f})")
PY
