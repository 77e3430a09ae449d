#!/usr/bin/env bash
# The cost of vxclean-offline on a Windows volume whose SOFTWARE hive holds N
# installer component keys: the generated machine of bench/run.sh laid out as
# a volume with real hives (bench/offline_volume.py, which needs chntpw's
# reged and hivex's tools), then cleaned RUNS times, each on a fresh copy:
# wall time and peak resident memory of the whole program, from GNU time.
# Usage: [RUNS=3] bench/offline_run.sh N
set -euo pipefail
cd "$(dirname "$0")/.."
for tool in reged hivexsh hivexregedit /usr/bin/time; do
    command -v "$tool" >/dev/null || { echo "$tool is missing: apt-get install chntpw libhivex-bin time" >&2; exit 2; }
done
size=$1
runs=${RUNS:-3}
work=$PWD/build/bench/offline
cmake -S . -B build/bench/after -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/bench/after -j "$(nproc)" --target generate_machine vxclean-offline >/dev/null
rm -rf "$work" && mkdir -p "$work"
build/bench/after/bench/generate_machine "$size" "$work/machine"
python3 bench/offline_volume.py "$work/machine" tests/data/windows-hives "$work/volume"
echo "| components | SOFTWARE hive MB | run | wall s | peak resident MB | status |"
echo "|---|---|---|---|---|---|"
for run in $(seq 1 "$runs"); do
    rm -rf "$work/run" && cp -a "$work/volume" "$work/run"
    status=0
    /usr/bin/time -f "%e %M" -o "$work/time" build/bench/after/offline/vxclean-offline --yes "$work/run" \
        >/dev/null 2>"$work/errors" || status=$?
    read -r wall kilobytes < "$work/time"
    megabytes=$(( $(stat -c %s "$work/volume/Windows/System32/config/SOFTWARE") / 1048576 ))
    echo "| $size | $megabytes | $run | $wall | $(( kilobytes / 1024 )) | $status |"
done
