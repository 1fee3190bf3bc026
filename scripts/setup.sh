#!/usr/bin/env bash
# Installs what the build and the tests need from Debian's packages, when it is missing.
set -euo pipefail

packages=(g++ clang clang-format ccache libclang-rt-14-dev cmake ninja-build pkg-config libgtest-dev libgmock-dev libbenchmark-dev
          nlohmann-json3-dev libpng-dev qt6-base-dev qt6-base-dev-tools libgl-dev xvfb xauth
          imagemagick libassimp-dev libtinyobjloader-dev libtinygltf-dev libimagequant-dev libcdio-dev libiso9660-dev xorriso
          file dpkg-dev)
missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
# The glTF validator runs on node. A node installed some other way is used as it is; Debian's own
# packages come only where there is none.
if ! command -v node >/dev/null || ! command -v npm >/dev/null; then
    missing+=(nodejs npm)
fi
if ((${#missing[@]})); then
    echo "setup: installing ${missing[*]}"
    sudo_cmd=()
    [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The Khronos glTF validator checks exported files in the tests; without the registry the tests
# that need it skip, saying so.
root=$(cd "$(dirname "$0")/.." && pwd)
if command -v npm >/dev/null && [ ! -d "$root/tests/tools/node_modules/gltf-validator" ]; then
    npm install --prefix "$root/tests/tools" --no-save --no-audit --no-fund gltf-validator@2.0.0-dev.3.10 \
        >/dev/null 2>&1 || echo "setup: gltf-validator not installed; the glTF validation tests will skip"
fi
