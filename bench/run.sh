#!/usr/bin/env bash
# The cost of a whole run as the machine grows. For each number N of
# installer component keys a machine is generated (bench/generate_machine.cpp)
# and each build runs the install command on it with -show and with -clear:
# on the host (wall time, median of RUNS runs, and the registry calls per
# function, counted by the simulated machine) and, with WINE=1, under Wine64
# with the x86_64 build (a 32-bit machine loaded into a fresh prefix; wall time).
# BEFORE=rev adds the same rows for the product code (src/) of that revision,
# built with the rest of this tree (the same simulated machine), for the
# sizes up to BEFORE_MAX (10000: it scans the machine once per product), each
# run BEFORE_RUNS times (1).
# Usage: [RUNS=3] [BEFORE=rev [BEFORE_MAX=N] [BEFORE_RUNS=K]] [WINE=1] bench/run.sh N...
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
runs=${RUNS:-3}
work=$root/build/bench/machines
mkdir -p "$work"
export WINEDEBUG=-all
wine=/usr/lib/wine/wine64

build() {  # source folder, build folder, extra cmake arguments
    local source=$1 folder=$2
    shift 2
    cmake -S "$source" -B "$folder" -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
    cmake --build "$folder" -j "$(nproc)" --target run_install_command >/dev/null
}

builds=(after)
declare -A source=([after]=$root)
if [ -n "${BEFORE:-}" ]; then
    builds=(before after)
    source[before]=$root/build/bench/before-source
    rm -rf "${source[before]}" && git worktree prune
    git worktree add -f --detach "${source[before]}" HEAD >/dev/null 2>&1
    rm -rf "${source[before]}/src" && git -C "${source[before]}" checkout "$BEFORE" -- src
fi
for b in "${builds[@]}"; do
    build "${source[$b]}" "build/bench/$b"
    [ -n "${WINE:-}" ] && build "${source[$b]}" "build/bench/$b-win64" \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" -DVXCLEAN_TESTS=ON
done
cmake -S . -B build/bench/after -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/bench/after -j "$(nproc)" --target generate_machine vxclean >/dev/null

median() { sort -n | awk '{ a[NR] = $1 } END { printf "%.1f", a[int((NR + 1) / 2)] }'; }
seconds_of() {  # command...: prints the wall time
    local started
    started=$(date +%s.%N)
    "$@" > /dev/null 2>&1 || true
    awk -v a="$started" -v b="$(date +%s.%N)" 'BEGIN { print b - a }'
}
host_run() {  # build, machine, option
    rm -rf "$work/run" && cp -a "$1" "$work/run"
    WINSIM_MACHINE=$work/run WINSIM_CALL_COUNTS=$work/counts "build/bench/$3/bench/run_install_command" "$2"
}
template=$root/build/wine-template
if [ -n "${WINE:-}" ] && [ ! -f "$template/system.reg" ]; then
    rm -rf "$template"
    WINEPREFIX=$template "$wine" wineboot -i >/dev/null 2>&1
    WINEPREFIX=$template /usr/lib/wine/wineserver -w
fi
wine_prefix() {  # 32-bit machine: a fresh prefix holding it
    export WINEPREFIX=$work/prefix
    rm -rf "$WINEPREFIX" && cp -a "$template" "$WINEPREFIX"
    /usr/lib/wine/wineserver -p
    "$wine" cmd /c exit </dev/null >/dev/null 2>&1
    "$wine" regedit /s "$1.fixture.reg" </dev/null
    python3 scripts/wine_compare.py copy-drive "$1/C" "$WINEPREFIX/drive_c"
}
wine_run() {  # build, machine, option
    wine_prefix "$2"
    seconds_of "$wine" "build/bench/$1-win64/bench/run_install_command.exe" "$3" </dev/null
    /usr/lib/wine/wineserver -k || true
}
trap '/usr/lib/wine/wineserver -k 2>/dev/null || true' EXIT

echo "| build | components | upgrade codes | run | host wall s | Wine wall s | RegOpenKeyExW | RegEnumKeyExW | RegEnumValueW | RegQueryValueExW | all registry calls | calls per component key |"
echo "|---|---|---|---|---|---|---|---|---|---|---|---|"
for size in "$@"; do
    machine=$work/$size
    rm -rf "$machine" && build/bench/after/bench/generate_machine "$size" "$machine"
    if [ -n "${WINE:-}" ]; then
        rm -rf "$machine-32" "$work/fresh" && build/bench/after/bench/generate_machine --32-bit "$size" "$machine-32"
        mkdir -p "$work/fresh" && echo "32-bit Windows" > "$work/fresh/machine.txt"
        WINSIM_MACHINE=$work/fresh build/bench/after/src/vxclean -help >/dev/null || true
        python3 scripts/wine_compare.py fixture "$machine-32/registry.reg" "$work/fresh/registry.reg" \
            "$machine-32.fixture.reg"
    fi
    for b in "${builds[@]}"; do
        if [ "$b" = before ] && [ "$size" -gt "${BEFORE_MAX:-10000}" ]; then continue; fi
        for option in -show -clear; do
            repeat=$runs
            [ "$b" = before ] && repeat=${BEFORE_RUNS:-1}
            host=$(for _ in $(seq "$repeat"); do seconds_of host_run "$machine" "$option" "$b"; done | median)
            under_wine=-
            [ -n "${WINE:-}" ] && under_wine=$(for _ in $(seq "$repeat"); do wine_run "$b" "$machine-32" "$option"; done | median)
            count() { awk -v f="$1" '$1 == f { print $2 }' "$work/counts"; }
            total=$(awk '$1 ~ /^(Reg|Zw|Nt)/ { s += $2 } END { print s }' "$work/counts")
            per_key=$(awk -v t="$total" -v n="$size" 'BEGIN { printf "%.1f", t / n }')
            echo "| $b | $size | $((size / 20)) | $option | $host | $under_wine | $(count RegOpenKeyExW) | $(count RegEnumKeyExW) | $(count RegEnumValueW) | $(count RegQueryValueExW) | $total | $per_key |"
        done
    done
done
