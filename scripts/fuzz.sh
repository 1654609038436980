#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs one for a while.
# Usage: scripts/fuzz.sh TARGET [SECONDS]   e.g. scripts/fuzz.sh splitter_fuzz 60
set -euo pipefail
cd "$(dirname "$0")/.."
target="${1:?name of a fuzz target (fuzz/*_fuzz.cpp)}"
seconds="${2:-60}"

scripts/install-deps.sh
cmake --preset fuzz
cmake --build --preset fuzz --target "$target"
seeds="fuzz/corpus/${target%_fuzz}"
work="build/fuzz/corpus-${target}"
mkdir -p "$work"
exec "build/fuzz/bin/$target" -max_total_time="$seconds" "$work" $( [ -d "$seeds" ] && echo "$seeds" )
