#!/usr/bin/env bash
# Whole runs on generated machines, compared with the results recorded before
# the installer scans were made to read each key once: exit status, console
# output, what changed in the registry, and the drive. Report lines carry the
# source line that reported them; that number is left out of the comparison.
# Usage: check.sh RUN_INSTALL_COMMAND GENERATE_MACHINE WORK_FOLDER [--record]
set -euo pipefail
# The record of a run is named by the machine's clock.
export WINSIM_TIME="2026-12-07 09:30:00"
run_install_command=$1 generate=$2 work=$3 record=${4:-}
recorded=$(cd "$(dirname "$0")" && pwd)
machines=("64 400" "32 400" "64 2000")
runs=("-show" "-show -warn" "-clear" "-clear -warn")

# Everything a run leaves that an administrator could see, as one text.
describe_run() {
    local machine=$1 run=$2 status=0
    rm -rf "$work/run" && cp -a "$machine" "$work/run"
    # shellcheck disable=SC2086
    WINSIM_MACHINE=$work/run "$run_install_command" $run > "$work/out" 2> "$work/err" || status=$?
    echo "== exit status"
    echo "$status"
    echo "== standard output"
    cat "$work/out"
    echo "== standard error"
    sed -E 's/^(install|vxclean):[0-9]+:/\1:(line):/' "$work/err"
    echo "== registry changes"
    diff <(iconv -f UTF-16 -t UTF-8 "$machine/registry.reg") <(iconv -f UTF-16 -t UTF-8 "$work/run/registry.reg") || true
    echo "== drive"
    (cd "$work/run/C" && find . -printf '%y %s %p\n' | LC_ALL=C sort -k3)
}

mkdir -p "$work"
failed=0
for machine in "${machines[@]}"; do
    read -r bits size <<< "$machine"
    name=$bits-bit-$size
    option=()
    [ "$bits" = 32 ] && option=(--32-bit)
    rm -rf "$work/$name" && "$generate" "${option[@]}" "$size" "$work/$name"
    for run in "${runs[@]}"; do
        expected=$recorded/$name${run// /}.txt.gz
        describe_run "$work/$name" "$run" > "$work/actual.txt"
        if [ "$record" = --record ]; then
            gzip -9n < "$work/actual.txt" > "$expected"
        elif ! diff <(gzip -dc "$expected") "$work/actual.txt" > "$work/difference"; then
            echo "FAILED: $name $run differs from the recorded run:"
            head -n 40 "$work/difference"
            failed=1
        else
            echo "ok: $name $run"
        fi
    done
done
exit "$failed"
