#!/usr/bin/env bash
# Builds the application and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset default
cmake --build --preset default --target kivplus
exec build/default/bin/kivplus "$@"
