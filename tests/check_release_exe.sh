#!/usr/bin/env bash
# Inspects a Windows exe: the expected machine, imports of Windows system DLLs
# only (runtime linked statically), none of the entry points that older
# Windows lacks, and the requireAdministrator manifest and version resources.
set -u
exe=$1 objdump=$2 objcopy=$3 format=$4
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

headers=$("$objdump" -p "$exe") || { echo "FAIL: cannot read $exe"; exit 1; }
"$objdump" -f "$exe" | grep -q "file format $format" || fail "not $format"

system_dlls='^(kernel32|advapi32|user32|msvcrt|shell32|shlwapi|ole32)\.dll$'
while read -r dll; do
    echo "imports $dll"
    echo "$dll" | tr 'A-Z' 'a-z' | grep -Eq "$system_dlls" || fail "imports $dll, which is not a Windows system DLL"
done < <(echo "$headers" | sed -n 's/^\s*DLL Name: //p')

for late in IsWow64Process Wow64DisableWow64FsRedirection Wow64RevertWow64FsRedirection RegDeleteKeyExW ZwDeleteKey; do
    echo "$headers" | grep -Eq "\b$late\b" && fail "imports $late, which must be looked up at run time"
done

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
