#!/usr/bin/env bash
# What the desktop engine keeps as it is used: two characters say statements of the clock's kind, each with a
# gesture after it and its word balloon, as fast as the engine lets them (the fastest speaking speed; the next
# statement as soon as a character is done), under a private Xvfb with a sound server playing into a null sink.
# Prints resident memory after the warm-up and at the end, and the growth per 1,000 statements in between.
# The clock's own characters by default; genuine character files when given.
# Usage: bench/soak.sh [build folder] [statements, default 2000] [FILE.acs FILE.acs]
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-${HORALIA_BUILD_DIR:-$top/build}}
statements=${2:-2000}
first=${3:-$build/bin/max.acs}
second=${4:-$build/bin/plany.acs}
warm_up=$((statements / 10))

. "$top/scripts/private-display.sh"
private_display
private_sound

echo "characters: $(basename "$first") and $(basename "$second"); $statements statements, warm-up $warm_up"
"$build/bin/agentshow" --statements "$statements" --warm-up "$warm_up" "$first" "$second" 2>/dev/null
