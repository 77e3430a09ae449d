#!/usr/bin/env bash
# Installs what is missing, checks the formatting, builds the host build (also
# under the sanitizers), the fuzz targets, the 32-bit release exe and the
# 64-bit Windows build, and runs every test: the host suites, the fuzzers, the
# release exe's inspection, the Windows suites under Wine, and a comparison of
# one whole run on the host and under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
jobs=$(nproc)

scripts/install-deps.sh

echo "== Formatting"
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror

echo "== Host build (winsim)"
cmake -S . -B build/host -DVXCLEAN_WERROR=ON >/dev/null
cmake --build build/host -j "$jobs"
(cd build/host && ctest -V)

echo "== Host build under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build/sanitize -DVXCLEAN_WERROR=ON -DVXCLEAN_SANITIZE=ON >/dev/null
cmake --build build/sanitize -j "$jobs"
(cd build/sanitize && ctest --output-on-failure)

echo "== Fuzzing (clang, sanitizers)"
CC=clang CXX=clang++ cmake -S . -B build/fuzz -DVXCLEAN_TESTS=OFF -DVXCLEAN_FUZZ=ON >/dev/null
cmake --build build/fuzz -j "$jobs" --target unpack_fuzzer lsa_fuzzer hive_fuzzer log_replay_fuzzer
(cd build/fuzz && ctest -V)

echo "== Release exe (i686)"
cmake -S . -B build/win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release \
      -DVXCLEAN_TESTS=OFF -DVXCLEAN_WERROR=ON >/dev/null
cmake --build build/win32 -j "$jobs"
(cd build/win32 && ctest -V)

echo "== Windows build (x86_64) under Wine"
wine=/usr/lib/wine/wine64
cmake -S . -B build/win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DVXCLEAN_WERROR=ON \
      -DCMAKE_CROSSCOMPILING_EMULATOR="$wine" >/dev/null
cmake --build build/win64 -j "$jobs"

export WINEDEBUG=-all
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
(cd build/win64 && ctest -V)

echo "== The same run on the host and under Wine, compared"
WINEPREFIX_TEMPLATE=$template scripts/compare-with-wine.sh | tail -n 40
