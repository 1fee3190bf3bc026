#!/usr/bin/env bash
# Sets up, builds in Release and runs every test through CTest.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
build=${POLYVANE_BUILD_DIR:-$root/build}
export QT_QPA_PLATFORM=offscreen
cd "$build" && ctest --output-on-failure --parallel "$(nproc)"
