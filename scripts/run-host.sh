#!/usr/bin/env bash
# Builds the host program (on the simulated machine) and runs it with the
# given outer arguments; with none it cleans, as "vxclean -clear" does.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build/host -DVXCLEAN_TESTS=OFF >/dev/null
cmake --build build/host -j "$(nproc)" --target vxclean >/dev/null
if [ $# -eq 0 ]; then
    set -- -clear
fi
exec build/host/src/vxclean "$@"
