#!/usr/bin/env bash
# Spoken commands measured on people: every set in tests/agent/listen/people, and hedgewars-data's English
# voice packs (several hundred short phrases acted by people, too large for every test run) as speech that is
# no command for each of the clock's two command sets. Installs hedgewars-data when it is missing.
# Usage: bench/listen_people.sh [build folder] [another agentlisten to measure beside it, e.g. an older one]
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-${HORALIA_BUILD_DIR:-$top/build}}
other=${2:-}
people=$top/tests/agent/listen/people
voices=/usr/share/games/hedgewars/Data/Sounds/voices

if [[ ! -d $voices ]]; then
    sudo=()
    [[ $(id -u) -ne 0 ]] && sudo=(sudo)
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends hedgewars-data >/dev/null
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The English packs; the others speak Spanish, Polish, Russian and Ukrainian.
for pack in British Classic Default HillBilly Mobster Pirate Robot Russian Singer Surfer; do
    for file in "$voices/$pack"/*.ogg; do printf '%s\t-\n' "$file"; done
done >"$work/hedgewars.list"

# An older agentlisten may read only WAV files: with one to compare, both are given the same WAV copies.
as_wav() {  # list -> list of WAV copies
    local out=$work/$(basename "$1") n=0 file expected
    mkdir -p "$work/wav"
    while IFS=$'\t' read -r file expected; do
        [[ -z $file || $file == \#* ]] && continue
        n=$((n + 1))
        local raw=()
        [[ $file == *.raw ]] && raw=(-t raw -r 16000 -e signed -b 16 -c 1)
        sox "${raw[@]}" "$file" -b 16 "$work/wav/$(basename "$1" .list)-$n.wav"
        printf '%s\t%s\n' "$work/wav/$(basename "$1" .list)-$n.wav" "$expected"
    done <"$1" >"$out.wav.list"
    echo "$out.wav.list"
}
# Counted here rather than by agentlisten --expected, so that an older agentlisten is measured alike.
measure() {  # agentlisten commands list
    local files=() expected=()
    while IFS=$'\t' read -r file command; do
        [[ -z $file || $file == \#* ]] && continue
        files+=("$file")
        expected+=("${command:--}")
    done <"$2"
    "$1" --commands "$people/$commands" "${files[@]}" 2>/dev/null | cut -s -f2 |
        paste <(printf '%s\n' "${expected[@]}") - | awk -F'\t' '
            $1 != "-" { n++; if ($2 == $1) u++; else if ($2 == "-") r++; else m++ }
            $1 == "-" { o++; if ($2 == "-") ro++ }
            END {
                if (n) printf "  commands: %d of %d understood, %d refused, %d mistaken\n", u, n, r, m
                if (o) printf "  no command: %d of %d refused (%.1f %%)\n", ro, o, 100 * ro / o
            }'
}
runs=("$build/bin/agentlisten")
[[ -n $other ]] && runs+=("$other")
for set in cards:cards goforward:goforward klettres:klettres channels:channels \
    first-character:channels-no-command second-character:channels-no-command \
    first-character:hedgewars second-character:hedgewars; do
    commands=${set%%:*}.commands
    list=$people/${set#*:}.list
    [[ ${set#*:} == hedgewars ]] && list=$work/hedgewars.list
    [[ -n $other ]] && list=$(as_wav "$list")
    for agentlisten in "${runs[@]}"; do
        echo "$(basename "$list") with $commands ($agentlisten):"
        measure "$agentlisten" "$list"
    done
done
