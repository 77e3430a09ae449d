#!/usr/bin/env bash
# Inspects a Windows exe: the expected machine, imports of Windows system DLLs
# only (runtime linked statically), no imported function that Windows XP lacks
# (newer_than_xp.txt), and the requireAdministrator manifest and version
# resources.
set -u
exe=$1 objdump=$2 objcopy=$3 format=$4
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

headers=$("$objdump" -p "$exe") || { echo "FAIL: cannot read $exe"; exit 1; }
"$objdump" -f "$exe" | grep -q "file format $format" || fail "not $format"

system_dlls='^(kernel32|advapi32|user32|msvcrt|shell32|shlwapi|ole32)\.dll$'
newer_than_xp=$(sed -e 's/#.*//' -e '/^\s*$/d' "$(dirname "$0")/newer_than_xp.txt" | awk '{ print $1 }')
# Microsoft gives no Windows version for the C runtime's functions. XP's
# msvcrt.dll is the one of Visual C++ 7.0's time: it lacks the secure (_s) and
# locale (_l) functions of Visual C++ 2005, and strnlen and wcsnlen, which
# Windows' own msvcrt.dll gained with Vista.
xp_msvcrt_lacks='^(.*_s|.*_l|strnlen|wcsnlen)$'

# One line per imported function: its DLL in lower case, then its name.
imports=$(echo "$headers" | awk '
    /^[^ \t]/ { dll = "" }
    /DLL Name:/ { dll = tolower($3); next }
    dll != "" && /^\t[0-9a-f]+\t/ { print dll, $NF }')
[ -n "$imports" ] || fail "lists no imported function"

previous=
while read -r dll function; do
    if [ "$dll" != "$previous" ]; then
        echo "imports $dll"
        echo "$dll" | grep -Eq "$system_dlls" || fail "imports $dll, which is not a Windows system DLL"
        previous=$dll
    fi
    echo "  $function"
    if echo "$newer_than_xp" | grep -Fqx "$function"; then
        fail "imports $function from $dll, which Windows XP lacks"
    elif [ "$dll" = msvcrt.dll ] && echo "$function" | grep -Eq "$xp_msvcrt_lacks"; then
        fail "imports $function from msvcrt.dll, which Windows XP's msvcrt.dll lacks"
    fi
done <<<"$imports"

resources=$(mktemp)
"$objcopy" -O binary --only-section=.rsrc "$exe" "$resources"
grep -aq 'level="requireAdministrator"' "$resources" || fail "no manifest requesting requireAdministrator"
tr -d '\000' < "$resources" | grep -aq 'VS_VERSION_INFO' || fail "no version resource"
tr -d '\000' < "$resources" | grep -aq 'OriginalFilename.*vxclean\.exe' || fail "version resource without its file name"
rm -f "$resources"

if [ "$failures" -eq 0 ]; then
    echo "1 passed, 0 failed"
    exit 0
fi
echo "0 passed, 1 failed"
exit 1
