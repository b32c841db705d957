#!/usr/bin/env bash
# agentsay as a whole process: started with nothing to say (its start-up alone), and writing a clock sentence
# to a WAV file, beside the espeak-ng command line writing the same sentence when it is installed. With
# hyperfine, its mean over 40 runs after 5 warm-ups; without, the median of 40 runs of /usr/bin/time.
# Usage: bench/agentsay.sh [build folder]
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-${HORALIA_BUILD_DIR:-$top/build}}
sentence="The time is 15 minutes past 10"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

names=("agentsay, nothing to say" "agentsay --wav" "espeak-ng -w")
commands=("$build/bin/agentsay ''" "$build/bin/agentsay --wav $work/a.wav '$sentence'")
if command -v espeak-ng >/dev/null; then
    commands+=("espeak-ng -w $work/e.wav '$sentence'")
fi

if command -v hyperfine >/dev/null; then
    hyperfine -N -i --warmup 5 --runs 40 --export-json "$work/times.json" "${commands[@]}" >/dev/null 2>&1
    means=($(python3 -c 'import json, sys
for r in json.load(open(sys.argv[1]))["results"]: print(r["mean"] * 1000)' "$work/times.json"))
else
    means=()
    for command in "${commands[@]}"; do
        for i in $(seq 40); do
            /usr/bin/time -f '%e' -a -o "$work/times" bash -c "exec $command" >/dev/null 2>&1 || true
        done
        means+=($(sort -n "$work/times" | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] * 1000 }'))
        rm -f "$work/times"
    done
fi
for i in "${!means[@]}"; do
    line=$(printf '%-28s %7.1f ms' "${names[$i]}" "${means[$i]}")
    if ((${#means[@]} == 3 && i < 2)); then
        line+=$(python3 -c 'import sys; print(f"   {float(sys.argv[1]) / float(sys.argv[2]):.2f} times espeak-ng")' \
            "${means[$i]}" "${means[2]}")
    fi
    echo "$line"
done
