#!/usr/bin/env bash
# Sets up, builds in Release and opens the editor on the bundled sample model.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
build=${POLYVANE_BUILD_DIR:-$root/build}
exec "$build/src/app/polyvane" "$root/samples/cube.tmd"
