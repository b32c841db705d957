#!/usr/bin/env bash
# Spoken commands of a large set: what decoding costs (processor time per second of sound) and how often the
# command said is understood, for the clock's sets, the cards grammar, KLettres' words and a set of 80 long
# phrases (bench/large_commands.py) built around the words of those recordings, clean and with noise mixed
# in at 12 dB: a street (rumbling brown noise), a kitchen (running water and the clink of dishes, made with
# sox) and music (hedgewars' own). Hedgewars' English voice lines are speech that is no command.
# Usage: bench/listen_large.sh [build folder] [another agentlisten to measure beside it, e.g. an older one]
# HORALIA_BENCH_TIMEOUT (seconds, 900) ends a run that takes longer, as the older code may in noise.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-${HORALIA_BUILD_DIR:-$top/build}}
other=${2:-}
limit=${HORALIA_BENCH_TIMEOUT:-900}
people=$top/tests/agent/listen/people
voices=/usr/share/games/hedgewars/Data/Sounds/voices
music=/usr/share/games/hedgewars/Data/Music

if [[ ! -d $voices ]]; then
    sudo=()
    [[ $(id -u) -ne 0 ]] && sudo=(sudo)
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends hedgewars-data >/dev/null
fi
export SOX_OPTS="-V1 -R"  # the same noise each run; clipping of a few samples is no news
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$top/bench/large_commands.py" >"$work/large.commands"

# Every recording as 16 kHz mono WAV, listed with the command said in it (- for none).
mkdir -p "$work/clean"
n=0
while IFS=$'\t' read -r file expected; do
    [[ -z $file || $file == \#* ]] && continue
    n=$((n + 1))
    sox "$file" -r 16000 -c 1 -b 16 "$work/clean/$n.wav"
    printf '%s\t%s\n' "$n.wav" "$expected"
done < <(cat "$people/cards.list" "$people/klettres.list"
    for f in "$voices"/Default/*.ogg; do printf '%s\t-\n' "$f"; done) >"$work/all.list"
grep -P '^\S+\t(card|same suit|no suit|three cards|two cards)$' "$work/all.list" >"$work/cards.list"
grep -vP '\t(-|card|same suit|no suit|three cards|two cards)$' "$work/all.list" >"$work/klettres.list"
grep -P '\t-$' "$work/all.list" >"$work/hedgewars.list"

# The noises, a minute each.
sox -n -r 16000 -c 1 -b 16 "$work/street.wav" synth 60 brownnoise tremolo 0.2 60 lowpass 800
sox -n -r 16000 -c 1 -b 16 "$work/water.wav" synth 60 pinknoise highpass 300
sox -n -r 16000 -c 1 -b 16 "$work/clink.wav" synth 0.08 sine 2800 fade 0 0.08 0.07 pad 0 0.9 repeat 59
sox -m "$work/water.wav" -v 0.6 "$work/clink.wav" "$work/kitchen.wav" trim 0 60
sox "$music/City.ogg" -r 16000 -c 1 -b 16 "$work/music.wav" trim 10 60
rms() { sox "$1" -n stat 2>&1 | awk '/RMS +amplitude/ { print $3 }'; }
for noise in street kitchen music; do
    mkdir -p "$work/$noise"
    noise_rms=$(rms "$work/$noise.wav")
    for wav in "$work"/clean/*.wav; do
        length=$(soxi -D "$wav")
        # the noise 12 dB below the speech's level, from a place that changes with the recording
        number=$(basename "$wav" .wav)
        offset=$(awk -v l="$length" -v n="$number" 'BEGIN { print (n * 7.3) % (58 - l > 1 ? 58 - l : 1) }')
        gain=$(awk -v s="$(rms "$wav")" -v n="$noise_rms" 'BEGIN { print s / n / 10 ^ (12 / 20) }')
        sox "$work/$noise.wav" "$work/$noise/part.wav" trim "$offset" "$length"
        sox -m -v 1 "$wav" -v "$gain" "$work/$noise/part.wav" "$work/$noise/$(basename "$wav")"
    done
    rm "$work/$noise/part.wav"
done

# One run of agentlisten: its cost and, against the list, the shares understood and mistaken.
measure() {  # agentlisten commands list condition
    local files=() expected=() out
    while IFS=$'\t' read -r file command; do
        files+=("$work/$4/$file")
        expected+=("$command")
    done <"$3"
    local TIMEFORMAT='%U %S' sound
    if ! { time out=$(timeout "$limit" "$1" --commands "$2" "${files[@]}" 2>/dev/null); } 2>"$work/time"; then
        echo "    did not finish within $limit s"
        return
    fi
    sound=$(for f in "${files[@]}"; do soxi -D "$f"; done | awk '{ s += $1 } END { print s }')
    cut -s -f2 <<<"$out" | paste <(printf '%s\n' "${expected[@]}") - | awk -F'\t' '
        $1 != "-" { n++; if ($2 == $1) u++; else if ($2 != "-") m++ }
        $1 == "-" { o++; if ($2 == "-") r++ }
        END {
            if (n) printf "    %d of %d understood, %d mistaken for another;", u, n, m
            if (o) printf "    %d of %d that are no command refused (%.1f %%);", r, o, 100 * r / o
        }'
    # the whole run, loading the model and the commands included, for an agentlisten that does not tell
    awk -v s="$sound" '{ printf " whole run %.2f s a second;", ($1 + $2) / s }' "$work/time"
    grep '^processor time' <<<"$out" | sed 's/^/ decoding: /' || echo
}
runs=("$build/bin/agentlisten")
[[ -n $other ]] && runs+=("$other")
for condition in clean street kitchen music; do
    echo "== $condition"
    for set in "first-character:$people/first-character.commands:hedgewars" \
        "second-character:$people/second-character.commands:hedgewars" \
        "cards:$people/cards.commands:cards" "klettres:$people/klettres.commands:klettres" \
        "large:$work/large.commands:all"; do
        IFS=: read -r name commands list <<<"$set"
        for agentlisten in "${runs[@]}"; do
            echo "  $name with $list ($agentlisten):"
            measure "$agentlisten" "$commands" "$work/$list.list" "$condition"
        done
    done
    # the large set, one recording a run: the cards, the longest
    for agentlisten in "${runs[@]}"; do
        echo "  large, one recording a run ($agentlisten):"
        while IFS=$'\t' read -r file command; do
            printf '%s\t%s\n' "$file" "$command" >"$work/one.list"
            measure "$agentlisten" "$work/large.commands" "$work/one.list" "$condition"
        done <"$work/cards.list"
    done
done
