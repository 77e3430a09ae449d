#!/usr/bin/env bash
# Wine's WOW64 for 32-bit Windows programs on a machine whose kernel cannot run
# 32-bit code: a Debian root with wine, wine64 and wine32, whose 32-bit side
# runs under qemu-i386, registered for i386 programs in a private user
# namespace so that the machine's own binfmt_misc stays as it is.
#   scripts/wow64-wine.sh setup             makes the root and its two prefixes
#                                           if they are missing
#   scripts/wow64-wine.sh prefix ARCH DEST  a fresh copy of the prefix made
#                                           once, ARCH win64 or win32, in DEST
#   scripts/wow64-wine.sh run CMD ARG...    runs CMD inside the root, with this
#                                           project bound in at its own path
# The root is kept between runs in $VXCLEAN_WOW64_ROOT (default
# /var/cache/vxclean/wow64-root); delete it to have it made again.
set -euo pipefail
project=$(cd "$(dirname "$0")/.." && pwd)
root=${VXCLEAN_WOW64_ROOT:-/var/cache/vxclean/wow64-root}
# Bump when what the root holds changes, so that old roots are made again.
root_version=1
ready=$root/.vxclean-wow64-ready
# The prefixes made once in the root, for copies (2 s) instead of wineboot
# (20 s each).
prefixes=/prefixes

mirror() {
    sed -n 's/^URIs: *//p' /etc/apt/sources.list.d/debian.sources 2>/dev/null | head -n 1 | grep . ||
        echo http://deb.debian.org/debian
}

in_root() {  # CMD ARG...: inside the root without the namespace, for apt
    chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin DEBIAN_FRONTEND=noninteractive HOME=/root "$@"
}

setup() {
    if [ "$(cat "$ready" 2>/dev/null)" != "$root_version" ]; then
        make_root
    fi
    local arch
    for arch in win64 win32; do
        [ -f "$root$prefixes/$arch/system.reg" ] && continue
        echo "Making the $arch prefix in $root$prefixes/$arch"
        rm -rf "${root:?}$prefixes/$arch" && mkdir -p "$root$prefixes"
        WINEDEBUG=-all WINEARCH=$arch WINEPREFIX=$prefixes/$arch in_namespace sh -c 'wine wineboot -i && wineserver -w' \
            > "$root/wineboot-$arch.log" 2>&1 || { tail -n 20 "$root/wineboot-$arch.log"; exit 1; }
    done
}

make_root() {
    echo "Making the WOW64 Wine root in $root"
    local url making=$root.making
    url=$(mirror)
    rm -rf "$making"
    mkdir -p "$(dirname "$root")"
    debootstrap --variant=minbase bookworm "$making" "$url" > "$making.log" 2>&1 ||
        { tail -n 20 "$making.log"; exit 1; }
    rm -f "$making.log"
    local saved=$root
    root=$making
    echo "deb $url bookworm-backports main" > "$root/etc/apt/sources.list.d/backports.list"
    in_root dpkg --add-architecture i386
    in_root apt-get update -q > /dev/null
    in_root apt-get install -y -q --no-install-recommends wine wine64 wine32:i386 libwine:i386 > /dev/null
    # The i386 emulator: Debian 12's own qemu is too slow for Wine (it maps
    # memory a page at a time); 10.0 from backports is not.
    in_root sh -c 'cd /tmp && apt-get download -q qemu-user/bookworm-backports > /dev/null &&
        dpkg-deb --fsys-tarfile qemu-user_*.deb | tar -x -C / ./usr/bin/qemu-i386 && rm qemu-user_*.deb'
    in_root apt-get clean
    root=$saved
    rm -rf "$root"
    mv "$making" "$root"
    echo "$root_version" > "$ready"
}

prefix() {  # ARCH DEST
    [ -f "$root$prefixes/$1/system.reg" ] || { echo "No $1 prefix in $root: run $0 setup" >&2; exit 2; }
    rm -rf "$2"
    cp -a "$root$prefixes/$1" "$2"
}

in_namespace() {  # CMD ARG...
    unshare --user --map-root-user --mount --fork --kill-child "$0" enter "$@"
}

# Runs inside the namespace: the file systems the root needs, the i386
# registration in this namespace's own binfmt_misc, then the command.
enter() {
    local path
    for path in proc sys dev; do
        mount --rbind "/$path" "$root/$path"
    done
    mount -t tmpfs tmpfs "$root/dev/shm"
    mkdir -p "$root$project"
    mount --bind "$project" "$root$project"
    mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
    printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:'"$root"'/usr/bin/qemu-i386:F' \
        > /proc/sys/fs/binfmt_misc/register
    cd "$project"
    exec chroot "$root" env PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root sh -c 'cd "$0" && exec "$@"' "$project" "$@"
}

case "${1:-}" in
    setup) setup ;;
    prefix) prefix "$2" "$3" ;;
    run)
        shift
        [ -f "$ready" ] || { echo "No WOW64 Wine root in $root: run $0 setup" >&2; exit 2; }
        exec unshare --user --map-root-user --mount --fork --kill-child "$0" enter "$@" ;;
    enter)
        shift
        enter "$@" ;;
    *) echo "usage: $0 setup | prefix ARCH DEST | run CMD ARG..." >&2; exit 2 ;;
esac
