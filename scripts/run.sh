#!/usr/bin/env bash
# Builds the application and starts it; `scripts/run.sh --demo` starts the demo.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset default
cmake --build --preset default --target kivplus
exec build/default/bin/kivplus "$@"
