#!/bin/sh
# Prepare a Debian kernel + busybox initramfs for HID tests under QEMU.
# Idempotent: everything lands in $VM_CACHE (default /var/tmp/remote-bridge-hidvm); a rerun
# with the same kernel package does nothing (one kernel per cache folder).
#
#   sh prepare.sh                                   # kernel that linux-image-amd64 points to
#   KPKG=linux-image-6.1.0-57-amd64 sh prepare.sh   # a specific kernel package
#
# Output: $VM_CACHE/vmlinuz (+ vmlinux)  $VM_CACHE/base.cpio.gz  $VM_CACHE/kver
set -eu
HERE=$(cd "$(dirname "$0")" && pwd)
CACHE=${VM_CACHE:-/var/tmp/remote-bridge-hidvm}
mkdir -p "$CACHE/dl"

for tool in qemu-system-x86_64 cpio depmod xz; do
    command -v $tool >/dev/null || { echo "prepare: $tool is not installed: sh scripts/install-deps.sh installs it" >&2; exit 1; }
done

kpkg() { apt-cache depends linux-image-amd64 2>/dev/null | sed -n 's/^ *Depends: \(linux-image-[0-9].*\)$/\1/p' | head -1; }
if [ -z "${KPKG:-}" ]; then
    KPKG=$(kpkg); [ -n "$KPKG" ] || { apt-get update -qq; KPKG=$(kpkg); }
fi
KVER=${KPKG#linux-image-}
if [ "$(cat "$CACHE/.done" 2>/dev/null)" = "$KPKG" ] && [ "$CACHE/.done" -nt "$HERE/init" ] && [ "$CACHE/.done" -nt "$HERE/prepare.sh" ]; then
    echo "prepare: up to date ($KPKG) in $CACHE"; exit 0
fi

rm -f "$CACHE/.done"
cd "$CACHE/dl"
dl() { ls "$1"_*.deb >/dev/null 2>&1 || apt-get download "$1" 2>/dev/null \
       || { apt-get update -qq && apt-get download "$1"; }; }
dl "$KPKG"
dl busybox-static
rm -rf x && mkdir x
dpkg-deb -x "$(ls "$KPKG"_*.deb | tail -1)" x
dpkg-deb -x "$(ls busybox-static_*.deb | tail -1)" x
depmod -b x "$KVER"                     # the .deb ships no modules.dep

# Initramfs root: static busybox, the modules we need (deps first), /init.
# hidraw is CONFIG_HIDRAW=y, i.e. built into hid.ko in Debian's 6.1 kernels.
R="$CACHE/root"; rm -rf "$R"
mkdir -p "$R/bin" "$R/lib/modules" "$R/dev" "$R/proc" "$R/sys" "$R/tmp" "$R/root" "$R/host"
cp x/bin/busybox "$R/bin/busybox"
for m in hid uhid hid-generic virtio_pci 9pnet_virtio 9p; do
    modprobe -d x -S "$KVER" --show-depends "$m" | awk '$1=="insmod"{print $2}'
done | awk '!seen[$0]++' | while read -r ko; do
    cp "$ko" "$R/lib/modules/"; basename "$ko"
done > "$R/lib/modules/load"
cp "$HERE/init" "$R/init"; chmod 755 "$R/init"
(cd "$R" && find . | cpio -o -H newc --quiet | gzip -1) > "$CACHE/base.cpio.gz"
cp "x/boot/vmlinuz-$KVER" "$CACHE/vmlinuz"
# Also unpack the ELF vmlinux from the bzImage (Debian compresses with xz): QEMU
# boots it directly via the PVH entry point, which skips the real-mode setup and
# the in-guest decompression (about half the boot time under TCG).
off=$(LC_ALL=C grep -obUaP '\xfd7zXZ\x00' "$CACHE/vmlinuz" | head -1 | cut -d: -f1)
rm -f "$CACHE/vmlinux"
if [ -n "$off" ] && tail -c +$((off + 1)) "$CACHE/vmlinuz" | xz -dcq --single-stream > "$CACHE/vmlinux.tmp" 2>/dev/null \
   && [ "$(head -c 4 "$CACHE/vmlinux.tmp" | od -An -c | tr -d ' ')" = '177ELF' ]; then
    mv "$CACHE/vmlinux.tmp" "$CACHE/vmlinux"
else
    rm -f "$CACHE/vmlinux.tmp"; echo "prepare: no vmlinux unpacked, run.sh will boot the bzImage"
fi
cp "x/boot/config-$KVER" "$CACHE/config"
echo "$KVER" > "$CACHE/kver"
rm -rf x "$R"
echo "$KPKG" > "$CACHE/.done"
echo "prepare: $KPKG ready in $CACHE"
