#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs make test on Debian 13 (trixie): in a root made from Debian's packages by debootstrap under
# build/debian13 (made once, about 1 GB once the build's packages are in, and reused), into which
# this tree is copied afresh each time. Needs root, for debootstrap, chroot and the mounts.
# Usage: scripts/test-debian13.sh
source "$(dirname "$0")/common.sh"

suite=trixie
root=$PWD/build/debian13/root
# The Debian archive this machine's apt takes its packages from, unless DEBIAN_MIRROR names one.
mirror=${DEBIAN_MIRROR:-$(apt-get indextargets --format '$(REPO_URI) $(RELEASE)' 'Created-By: Packages' |
    awk '$2 !~ /-/ {print $1; exit}')}

if [ "$(id -u)" -ne 0 ]; then
    echo "make test-debian13 needs root (debootstrap, chroot, mounts): run it with sudo." >&2
    exit 1
fi
if ! command -v debootstrap >/dev/null; then
    echo "Installing debootstrap"
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends debootstrap >/dev/null ||
        { apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq debootstrap >/dev/null; }
fi

if [ ! -e "$root/.complete" ]; then
    [ -n "$mirror" ] || { echo "No Debian archive in apt's sources: name one in DEBIAN_MIRROR." >&2; exit 1; }
    echo "== Making a Debian 13 root in build/debian13 from $mirror (once)"
    rm -rf "$root"
    mkdir -p "$root"
    debootstrap --variant=minbase --include=ca-certificates,sudo,git,make,locales "$suite" "$root" "$mirror" \
        >build/debian13/debootstrap.log 2>&1 || { tail -n 20 build/debian13/debootstrap.log >&2; exit 1; }
    touch "$root/.complete"
fi

mounted=()
cleanup() {
    for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
        umount -l "${mounted[$i]}" 2>/dev/null || true
    done
}
trap cleanup EXIT
mount_into() {  # type-or-bind, source, target inside the root
    mkdir -p "$root$3"
    if [ "$1" = bind ]; then mount --bind "$2" "$root$3"; else mount -t "$1" "$2" "$root$3"; fi
    mounted+=("$root$3")
}
mount_into proc proc /proc
mount_into sysfs sysfs /sys
mount_into bind /dev /dev
mount_into devpts devpts /dev/pts
mount_into tmpfs tmpfs /dev/shm
mount_into tmpfs tmpfs /tmp
cp /etc/resolv.conf "$root/etc/resolv.conf" 2>/dev/null || true

# This tree as it stands, uncommitted changes included, as a git work tree of its own (the
# package is made from what git lists); the builds of the last run are kept, for a faster run.
echo "== Copying the sources into the Debian 13 root"
src=$root/src/corvane
mkdir -p "$src"
find "$src" -mindepth 1 -maxdepth 1 ! -name build -exec rm -rf {} +
git ls-files -z --cached --others --exclude-standard | tar --null -T - -cf - | tar -xf - -C "$src"
git -C "$src" init -q
git -C "$src" add -A

echo "== make test on $(. "$root/etc/os-release" && echo "$PRETTY_NAME")"
start=$(date +%s)
chroot "$root" /usr/bin/env -i HOME=/root PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    LANG=C.UTF-8 CI="${CI:-true}" bash -c 'cd /src/corvane && make test'
echo "Debian 13: make test passed in $(( ($(date +%s) - start) / 60 )) min"
