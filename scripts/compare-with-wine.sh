#!/usr/bin/env bash
# Runs the 32-bit release vxclean.exe on a machine with the product family
# installed, on the host build (simulated machine) and under Wine's WOW64
# (the fixture loaded into a fresh prefix), and compares what each run left
# and printed.
#   scripts/compare-with-wine.sh win64   64-bit Windows: a 64-bit prefix
#   scripts/compare-with-wine.sh win32   32-bit Windows: a 32-bit prefix
# A second Wine run is killed at a random point and started again; it must
# end as the whole run does. Each run's undo file, imported with regedit,
# must give back the registry as it was before the run. Needs build/host and
# build/win32 built, and scripts/wow64-wine.sh setup done. Differences must
# be listed, with their reasons, in tests/wine/known-differences.txt.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
arch=$1
work=$root/build/wine-compare-$arch
known=tests/wine/known-differences.txt
exe=build/win32/src/vxclean.exe
rm -rf "$work" && mkdir -p "$work"
export WINEDEBUG=-all

wine() { scripts/wow64-wine.sh run wine "$@"; }
wineserver() { scripts/wow64-wine.sh run wineserver "$@"; }
# The registry is read and written with the native regedit: on 64-bit Windows
# the 64-bit one, which sees both views.
regedit() {
    if [ "$arch" = win64 ]; then
        scripts/wow64-wine.sh run /usr/lib/wine/wine64 regedit "$@"
    else
        wine regedit "$@"
    fi
}

if [ "$arch" = win64 ]; then
    build/host/tests/make_demo_machine "$work/installed"
    mkdir -p "$work/fresh" && echo "64-bit Windows" > "$work/fresh/machine.txt"
else
    build/host/tests/make_demo_machine --32-bit "$work/installed"
    mkdir -p "$work/fresh" && echo "32-bit Windows" > "$work/fresh/machine.txt"
fi
WINSIM_MACHINE=$work/fresh build/host/src/vxclean -help >/dev/null || true
python3 scripts/wine_compare.py fixture "$work/installed/registry.reg" "$work/fresh/registry.reg" "$work/fixture.reg"

# The host run.
cp -a "$work/installed" "$work/host-run"
status=0
WINSIM_MACHINE=$work/host-run build/host/src/vxclean -clear > "$work/host.out" 2> "$work/host.err" || status=$?
echo "$status" > "$work/host.status"

# A fresh prefix with the fixture, its own wineserver kept running so that
# nothing scheduled for restart is carried out before the registry is read.
start_prefix() {
    export WINEPREFIX=$work/$1-prefix
    scripts/wow64-wine.sh prefix "$arch" "$WINEPREFIX"
    wineserver -p
    wine cmd /c exit </dev/null >/dev/null 2>&1
    regedit /s "$work/fixture.reg" </dev/null
    python3 scripts/wine_compare.py copy-drive "$work/installed/C" "$WINEPREFIX/drive_c"
    export_registry "$1-before"
}
export_registry() {  # name
    regedit /e "$work/$1-hklm.reg" HKEY_LOCAL_MACHINE </dev/null
    regedit /e "$work/$1-hkcu.reg" HKEY_CURRENT_USER </dev/null
}
# Imports the newest undo file of the prefix with regedit and compares the
# registry with the one before the run.
undo_run() {  # run
    local folder
    folder=$(ls -d "$WINEPREFIX"/drive_c/users/*/Temp/vxclean-* 2>/dev/null | tail -n 1 || true)
    if [ -n "$folder" ]; then
        folder=${folder#"$WINEPREFIX"/drive_c/}
        regedit /s "C:\\${folder//\//\\}\\undo.reg" </dev/null
    else
        # The record is made before the run changes anything: a run stopped
        # before it has nothing to undo, and the registry must be as before.
        echo "no record: the run was stopped before it made one"
    fi
    export_registry "$1-undone"
    python3 scripts/wine_compare.py undone "$work" "$known" "$1"
}
finish_prefix() {
    export_registry "$1"
    wineserver -k || true
}
trap 'wineserver -k 2>/dev/null || true' EXIT

start_prefix wine
status=0
started=$(date +%s.%N)
wine "$exe" -clear < /dev/null > "$work/wine.out" 2> "$work/wine.err" || status=$?
took=$(awk -v a="$started" -v b="$(date +%s.%N)" 'BEGIN { print b - a }')
echo "$status" > "$work/wine.status"
export_registry wine
echo "== The whole run's undo file imported under Wine ($arch)"
undo_run wine
wineserver -k || true
echo "The release exe under WOW64 Wine ($arch prefix), exit status $(cat "$work/wine.status"), ${took} s"
python3 scripts/wine_compare.py compare "$work" "$known"

echo "== Killed at a random point under Wine ($arch), then run again"
start_prefix interrupted
# Started without a shell function between, so that the kill reaches the
# program: the namespace's first process takes it down with it.
scripts/wow64-wine.sh run wine "$exe" -clear < /dev/null > /dev/null 2>&1 &
# Somewhere within the time the whole run took; KILL_AFTER (seconds) repeats a given point.
pause=${KILL_AFTER:-$(awk -v seed="$RANDOM" -v took="$took" 'BEGIN { srand(seed); printf "%.2f", took * (0.1 + 0.8 * rand()) }')}
sleep "$pause"
kill -9 $! 2>/dev/null || true
wait $! 2>/dev/null || true
echo "killed after ${pause} s of a run that takes ${took} s (KILL_AFTER=${pause} repeats it)"
echo "== The killed run's undo file imported under Wine ($arch)"
undo_run interrupted
status=0
wine "$exe" -clear < /dev/null > "$work/interrupted.out" 2>&1 || status=$?
echo "$status" > "$work/interrupted.status"
finish_prefix interrupted
python3 scripts/wine_compare.py compare "$work" "$known" interrupted
