#!/bin/sh
# Refreshes the contact sheets in docs/characters/ from the built characters:
#   art/tools/export_sheets.sh BUILD_DIR
set -eu
build=${1:?usage: export_sheets.sh BUILD_DIR}
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for character in max plany; do
    "$build/bin/acsinfo" --export "$work/$character" "$build/bin/$character.acs"
    rm -rf "$root/docs/characters/$character"
    mkdir -p "$root/docs/characters/$character"
    cp "$work/$character"/*_sheet.png "$root/docs/characters/$character/"
    cp "$work/$character/000_RestPose_000.png" "$root/docs/characters/$character.png"
done
