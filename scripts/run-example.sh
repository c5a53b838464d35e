#!/usr/bin/env bash
# Builds tarn (installing the build dependencies first when they are missing)
# and runs the property check of the bundled register example.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --workflow --preset release >/dev/null
mkdir -p out
build/release/tarn property-check examples/register.yaml -o out/register.zed --no-run
