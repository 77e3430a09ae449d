#!/usr/bin/env bash
# The cost of a whole run as the machine grows: for each number of installer
# component keys, a generated machine is cleaned (-clear) and reported on
# (-show) by the host build; prints the wall time and the registry calls per
# function. Usage: bench/run.sh [N ...]   (default: 10000 50000 100000)
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/bench -j "$(nproc)" --target vxclean generate_machine >/dev/null
work=build/bench/machines
mkdir -p "$work"
echo "| components | upgrade codes | run | wall s | RegOpenKeyExW | RegEnumKeyExW | RegEnumValueW | RegQueryValueExW | all registry calls |"
echo "|---|---|---|---|---|---|---|---|---|"
for n in "${@:-10000 50000 100000}"; do
    for size in $n; do
        rm -rf "$work/$size" && build/bench/bench/generate_machine "$size" "$work/$size"
        for run in -show -clear; do
            rm -rf "$work/run" && cp -a "$work/$size" "$work/run"
            started=$(date +%s.%N)
            WINSIM_MACHINE=$work/run WINSIM_CALL_COUNTS=$work/counts build/bench/src/vxclean "$run" > /dev/null 2>&1 || true
            took=$(awk -v a="$started" -v b="$(date +%s.%N)" 'BEGIN { printf "%.1f", b - a }')
            count() { awk -v f="$1" '$1 == f { print $2 }' "$work/counts"; }
            total=$(awk '$1 ~ /^(Reg|Zw)/ { s += $2 } END { print s }' "$work/counts")
            echo "| $size | $((size / 20)) | $run | $took | $(count RegOpenKeyExW) | $(count RegEnumKeyExW) | $(count RegEnumValueW) | $(count RegQueryValueExW) | $total |"
        done
    done
done
