#!/usr/bin/env bash
# What the desktop engine costs, under a private Xvfb:
#  - Show to the first frame drawn in the character's window (agentshow --show-times);
#  - processor time of two characters standing and idling for a minute, then hidden for a minute: three runs
#    (HORALIA_IDLE_RUNS) with the same seed, so that the same idle animations play, and their median. The
#    figure swings between runs by up to a factor of three with where the X server and the program happen to
#    run (on the same processor or not): compare medians, and the time each picture costs;
#  - the peak memory of the clock itself running with two large characters (Genie and Merlin, 2 MB files)
#    through start-up, greeting and walking home.
# The genuine character files come from ../shared/testdata/acs; without them our own max and plany stand in.
# Usage: bench/engine.sh [build folder] [seconds of idling, default 60]
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-${HORALIA_BUILD_DIR:-$top/build}}
seconds=${2:-60}
testdata=${HORALIA_TESTDATA:-$top/../shared/testdata}/acs
if [[ -f $testdata/Genie.acs && -f $testdata/Merlin.acs ]]; then
    first=$testdata/Genie.acs second=$testdata/Merlin.acs
else
    first=$build/bin/max.acs second=$build/bin/plany.acs
fi

. "$top/scripts/private-display.sh"
private_display

echo "characters: $(basename "$first") and $(basename "$second")"
"$build/bin/agentshow" --show-times 10 "$first" "$second" 2>/dev/null
runs=${HORALIA_IDLE_RUNS:-3}
idle=()
for ((i = 1; i <= runs; i++)); do
    out=$("$build/bin/agentshow" --seed 2 --idle "$seconds" "$first" "$second" 2>/dev/null)
    echo "run $i: $out" | sed '2,$s/^/       /'
    idle+=("$(sed -n 's/.*idling for .*(\([0-9.]*\)% of one core).*/\1/p' <<<"$out")")
done
printf '%s\n' "${idle[@]}" | sort -g | awk '{v[NR] = $1} END {printf "idling, median of %d runs: %s%% of one core\n", NR, v[int((NR + 1) / 2)]}'

# The clock, set up as a returning user whose characters are these two.
chars=$XDG_DATA_HOME/horalia/msagent/chars
mkdir -p "$chars" "$XDG_CONFIG_HOME/HoraliaIIV"
cp "$first" "$chars/first.acs"
cp "$second" "$chars/second.acs"
printf '[Data]\nLastCharacter=first\nLastCharacter2=second\n' >"$XDG_CONFIG_HOME/HoraliaIIV/settings.ini"
"$build/bin/horalia" >/dev/null 2>&1 &
pid=$!
private_pids+=("$pid")
sleep 25
peak=$(awk '/VmHWM/ {print $2}' "/proc/$pid/status")
kill -TERM "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
echo "the clock with both characters, 25 s after start: peak memory $((peak / 1024)) MB ($peak kB)"
