#!/usr/bin/env bash
# Installs the Debian packages that the builds and tests need, if missing.
set -euo pipefail

packages=(cmake make g++ googletest clang-format clang libclang-rt-14-dev
          g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-win32 wine64
          libhivex-dev libhivex-bin libwin-hivex-perl xz-utils pkg-config
          bsdutils ntfs-3g debootstrap)

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    apt-get update -q
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}"
fi
