#!/usr/bin/env bash
# Runs vxclean on a 32-bit machine with the product family installed, on the
# host build (simulated machine) and with the x86_64 exe under Wine (the
# fixture loaded into a fresh prefix), and compares what each run left.
# Needs build/host and build/win64 built, and WINEPREFIX_TEMPLATE: a prefix
# made once with wineboot. Differences must be listed in tests/wine/known-differences.txt.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
wine=/usr/lib/wine/wine64
work=$root/build/wine-compare
rm -rf "$work" && mkdir -p "$work"

build/host/tests/make_demo_machine --32-bit "$work/installed"
mkdir -p "$work/fresh" && echo "32-bit Windows" > "$work/fresh/machine.txt"
WINSIM_MACHINE=$work/fresh build/host/src/vxclean -help >/dev/null || true
python3 scripts/wine_compare.py fixture "$work/installed/registry.reg" "$work/fresh/registry.reg" "$work/fixture.reg"

# The host run.
cp -a "$work/installed" "$work/host-run"
status=0
WINSIM_MACHINE=$work/host-run build/host/src/vxclean -clear > "$work/host.out" 2> "$work/host.err" || status=$?
echo "$status" > "$work/host.status"

# The same under Wine, while one wineserver runs, so that nothing scheduled
# for restart is carried out before the registry is read.
export WINEDEBUG=-all WINEPREFIX=$work/prefix
cp -a "$WINEPREFIX_TEMPLATE" "$WINEPREFIX"
/usr/lib/wine/wineserver -p
trap '/usr/lib/wine/wineserver -k || true' EXIT
"$wine" cmd /c exit </dev/null >/dev/null 2>&1
"$wine" regedit /s "$work/fixture.reg" </dev/null
python3 scripts/wine_compare.py copy-drive "$work/installed/C" "$WINEPREFIX/drive_c"
status=0
"$wine" build/win64/src/vxclean.exe -clear < /dev/null > "$work/wine.out" 2> "$work/wine.err" || status=$?
echo "$status" > "$work/wine.status"
"$wine" regedit /e "$work/wine-hklm.reg" HKEY_LOCAL_MACHINE </dev/null
"$wine" regedit /e "$work/wine-hkcu.reg" HKEY_CURRENT_USER </dev/null
python3 scripts/wine_compare.py compare "$work" tests/wine/known-differences.txt
