#!/usr/bin/env bash
# Builds the Debian package (build/polyvane_VERSION_ARCH.deb) from a Release build and checks its
# AppStream metadata. Needs file and dpkg-dev (dpkg-shlibdeps works out the package's dependencies),
# which scripts/setup.sh installs; lintian checks the package when it is there.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
build=${POLYVANE_BUILD_DIR:-$root/build}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
cmake --build "$build" --target polyvane polyvane-cli polyvane-icons polyvane-man
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$build/polyvane.metainfo.xml"
fi
rm -f "$build"/polyvane_*.deb
(cd "$build" && cpack -G DEB)
ls "$build"/polyvane_*.deb
if command -v lintian >/dev/null; then
    lintian --fail-on error "$build"/polyvane_*.deb
fi
