#!/usr/bin/env bash
# Opening a character file and composing its first frame, and parsing alone, for the large genuine characters
# (Genie, Merlin, Peedy, whichever are there), measured beside an older revision of the reader in the same run.
# The older format_bench is built from that revision into a folder of its own (only the bench and what it
# links); the two then run in turns, five rounds each, and the median processor time of each is compared.
# The older reader reads the whole file, and how long the kernel takes to copy it depends on how its page
# cache holds it: a file read back after it left the cache sits in small pages and copies about twice as
# slowly as one just written. So the comparison runs twice: on the files where they lie, and on fresh copies
# of them. (This tree reads only the structures at the file's two ends and the first frame's images.)
# Usage: bench/format_compare.sh [build folder] [revision, default $HORALIA_BENCH_BASELINE or a131a38]
# a131a38 is the reader before its error texts were made lazily and its lists sized once.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-${HORALIA_BUILD_DIR:-$top/build}}
revision=${2:-${HORALIA_BENCH_BASELINE:-a131a38}}
rounds=5
filter='^(OpenAndFirstFrame|Parse)/(Genie|Merlin|Peedy)\.acs$'
testdata=${HORALIA_TESTDATA:-$top/../shared/testdata}

if [[ ! -d $testdata/acs ]]; then
    echo "format_compare: no genuine character files in $testdata/acs; nothing to compare"
    exit 0
fi
if ! git -C "$top" rev-parse --verify --quiet "$revision^{commit}" >/dev/null; then
    echo "format_compare: revision $revision is not in this repository; nothing to compare"
    exit 0
fi

# The older tree is kept between runs, keyed by its commit, so that only the first run builds it.
commit=$(git -C "$top" rev-parse "$revision^{commit}")
old=${HORALIA_BENCH_BASELINE_DIR:-$build/baseline-$commit}
if [[ ! -x $old/build/bin/format_bench ]]; then
    rm -rf "$old"
    mkdir -p "$old/src"
    git -C "$top" archive "$commit" | tar -x -C "$old/src"
    launcher=()
    command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    # The bench finds the test files from its source folder; point it at the same ones.
    cmake -S "$old/src" -B "$old/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
    cmake --build "$old/build" --target format_bench >/dev/null
fi

results=$(mktemp -d)
trap 'rm -rf "$results"' EXIT
mkdir -p "$results/fresh/acs"
for name in Genie.acs Merlin.acs Peedy.acs; do
    [[ -f $testdata/acs/$name ]] && cp "$testdata/acs/$name" "$results/fresh/acs/"
done

compare() {  # compare TITLE TESTDATA
    local title=$1 data=$2 round side program
    for round in $(seq "$rounds"); do
        for side in new old; do
            program=$build/bin/format_bench
            [[ $side == old ]] && program=$old/build/bin/format_bench
            HORALIA_TESTDATA=$data "$program" --benchmark_filter="$filter" --benchmark_min_time=0.3 \
                --benchmark_format=csv 2>/dev/null | grep '^"' >"$results/$side.$round.csv"
        done
    done
    # CSV columns: name, iterations, real_time, cpu_time, time_unit, ...
    python3 - "$results" "$rounds" "${commit:0:7}" "$title" <<'PY'
import csv, glob, statistics, sys
results, rounds, short, title = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4]
times = {}
for side in ("new", "old"):
    for path in glob.glob(f"{results}/{side}.*.csv"):
        for row in csv.reader(open(path)):
            times.setdefault((side, row[0]), []).append(float(row[3]))
print(f"{title}")
print(f"{'':30} {'this tree':>12} {short:>12} {'ratio':>8}   (median processor time of {rounds} rounds, ms)")
for name in sorted({n for _, n in times}):
    new, old = (statistics.median(times.get((s, name), [0])) for s in ("new", "old"))
    print(f"{name:30} {new:12.3f} {old:12.3f} {new / old if old else 0:8.2f}")
PY
    rm -f "$results"/*.csv
}

compare "the files where they lie ($testdata/acs)" "$testdata"
compare "fresh copies of them" "$results/fresh"
