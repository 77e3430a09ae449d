#!/usr/bin/env bash
# Installs what is missing, checks the formatting, builds the host build (also
# under the sanitizers), the fuzz targets, the 32-bit release exe with the
# Windows suites and the 64-bit Windows build, and runs every test: the host
# suites, the fuzzers, the release exe's inspection, the Windows suites in 32
# bits under Wine's WOW64 (a 64-bit and a 32-bit prefix) and in 64 bits under
# Wine, and the release exe's whole run on the host and under WOW64 Wine,
# compared, on 64-bit and on 32-bit Windows.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
jobs=$(nproc)
started=$SECONDS
step_started=
step() {  # the next step's title; says how long the last one took
    [ -z "$step_started" ] || echo "-- $((SECONDS - step_started)) s"
    step_started=$SECONDS
    echo "== $1"
}

scripts/install-deps.sh
step "Wine's WOW64 for the 32-bit exe (made once, kept in /var/cache/vxclean)"
scripts/wow64-wine.sh setup

step "Formatting"
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror

step "Host build (winsim)"
cmake -S . -B build/host -DVXCLEAN_WERROR=ON >/dev/null
cmake --build build/host -j "$jobs"
(cd build/host && ctest -j "$jobs" --output-on-failure)

step "Host build under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build/sanitize -DVXCLEAN_WERROR=ON -DVXCLEAN_SANITIZE=ON >/dev/null
cmake --build build/sanitize -j "$jobs"
(cd build/sanitize && ctest -j "$jobs" --output-on-failure)

step "Fuzzing (clang, sanitizers)"
CC=clang CXX=clang++ cmake -S . -B build/fuzz -DVXCLEAN_TESTS=OFF -DVXCLEAN_FUZZ=ON >/dev/null
cmake --build build/fuzz -j "$jobs" --target unpack_fuzzer lsa_fuzzer hive_fuzzer log_replay_fuzzer
(cd build/fuzz && ctest -V)

step "Release exe (i686) and the Windows suites in 32 bits"
cmake -S . -B build/win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release \
      -DVXCLEAN_WERROR=ON "-DCMAKE_CROSSCOMPILING_EMULATOR=$root/scripts/wow64-wine.sh;run;wine" >/dev/null
cmake --build build/win32 -j "$jobs"

export WINEDEBUG=-all
# One wineserver per prefix, kept running and warmed up, or Wine's services
# inherit ctest's pipe and it hangs. The suites share the prefix: one at a time.
wow64_suites() {  # win64 | win32
    export WINEPREFIX=$root/build/wow64-$1
    scripts/wow64-wine.sh prefix "$1" "$WINEPREFIX"
    scripts/wow64-wine.sh run wineserver -p
    scripts/wow64-wine.sh run wine cmd /c exit </dev/null >/dev/null 2>&1
    (cd build/win32 && ctest --output-on-failure) || { scripts/wow64-wine.sh run wineserver -k; return 1; }
    scripts/wow64-wine.sh run wineserver -k || true
}
step "Windows suites in 32 bits under WOW64 Wine: 64-bit Windows (both views)"
wow64_suites win64
step "Windows suites in 32 bits under WOW64 Wine: 32-bit Windows"
wow64_suites win32

step "Windows build (x86_64) under Wine"
wine=/usr/lib/wine/wine64
cmake -S . -B build/win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DVXCLEAN_WERROR=ON \
      -DCMAKE_CROSSCOMPILING_EMULATOR="$wine" >/dev/null
cmake --build build/win64 -j "$jobs"

template=$root/build/wine-template
if [ ! -f "$template/system.reg" ]; then
    rm -rf "$template"
    WINEPREFIX=$template "$wine" wineboot -i >/dev/null 2>&1
    WINEPREFIX=$template /usr/lib/wine/wineserver -w
fi
export WINEPREFIX=$root/build/wine-run
rm -rf "$WINEPREFIX"
cp -a "$template" "$WINEPREFIX"
/usr/lib/wine/wineserver -p
trap '/usr/lib/wine/wineserver -k || true' EXIT
# Warm the server up, or Wine's services inherit ctest's pipe and it hangs.
"$wine" cmd /c exit </dev/null >/dev/null 2>&1
(cd build/win64 && ctest --output-on-failure)

/usr/lib/wine/wineserver -k || true
trap - EXIT

for arch in win64 win32; do
    step "The release exe's run on the host and under WOW64 Wine, compared ($arch)"
    # Each listed difference is counted, not printed.
    scripts/compare-with-wine.sh "$arch" | grep -v '^KNOWN '
done
step "All done in $((SECONDS - started)) s"
