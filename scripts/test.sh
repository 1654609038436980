#!/usr/bin/env bash
# Builds everything with the default preset and runs the whole test suite.
# Usage: scripts/test.sh [PRESET]   (default, asan or tsan)
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-default}"

scripts/install-deps.sh
cmake --preset "$preset"
cmake --build --preset "$preset"
ctest --preset "$preset"
