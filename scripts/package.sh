#!/usr/bin/env bash
# Builds the Debian package (build/polyvane_VERSION_ARCH.deb) from a Release build and checks its
# AppStream metadata. Needs dpkg-dev (dpkg-shlibdeps works out the package's dependencies).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${POLYVANE_BUILD_DIR:-$root/build}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
cmake --build "$build" --target polyvane polyvane-cli polyvane-icons polyvane-man
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$build/polyvane.metainfo.xml"
fi
(cd "$build" && cpack -G DEB)
ls "$build"/polyvane_*.deb
