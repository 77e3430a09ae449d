#!/usr/bin/env bash
# Builds the host tool, makes a fresh copy of a simulated 64-bit machine on
# which the product family is installed beside other vendors' software, runs
# vxclean on it as an administrator would, and shows what is left.
#   scripts/run-host.sh          the plain run (any argument: remove everything)
#   scripts/run-host.sh --ask    the run by double click: the confirmation
#                                dialogs are asked on the terminal
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build/host >/dev/null
cmake --build build/host -j "$(nproc)" --target vxclean make_demo_machine >/dev/null

machine=build/demo-machine
rm -rf "$machine"
build/host/tests/make_demo_machine "$machine"

keys() {
    iconv -f UTF-16LE -t UTF-8 "$machine/registry.reg" | grep -i -E '^\[.*(vexa|\\vx|vxln|capicom|vxicom)' || true
}
files() {
    (cd "$machine/C" && find . -iname '*vx*' -o -iname '*vexa*' -o -iname 'Векса*' -o -iname 'ВЕКСА*')
}
product() {
    echo "  registry keys naming the products: $(keys | wc -l)"
    echo "  files and folders of the products: $(files | wc -l)"
}

echo "== The machine before"
product
echo "== vxclean"
status=0
if [ "${1:-}" = "--ask" ]; then
    WINSIM_MACHINE=$machine build/host/src/vxclean || status=$?
else
    WINSIM_MACHINE=$machine build/host/src/vxclean -clear || status=$?
fi
echo "== Exit status $status"
echo "== The machine after"
product
echo "   Left on purpose: the users' private keys under SOFTWARE\\Vexa Lune (removed only"
echo "   by -delkeys), the common-files folder, and what waits for a restart:"
keys | sed 's/^/    /'
files | sed 's/^/    /'
echo "   The machine is in $machine (registry.reg, drive C:); run vxclean on it again with"
echo "   WINSIM_MACHINE=$machine build/host/src/vxclean -clear"
