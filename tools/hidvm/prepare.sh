#!/bin/sh
# Prepare a Debian kernel + busybox initramfs for HID tests under QEMU.
# Idempotent: everything lands in $VM_CACHE (default /var/tmp/remote-bridge-hidvm); a rerun
# with the same kernel package does nothing. The images are kept in a folder of the cache named
# after the content of this script and init, so that checkouts of different versions share one
# cache without rebuilding it back and forth (one kernel per such folder); folders that no run
# used for 14 days are removed.
#
#   sh prepare.sh                                   # kernel that linux-image-amd64 points to
#   KPKG=linux-image-6.1.0-57-amd64 sh prepare.sh   # a specific kernel package
#
# Output in $VM_CACHE/KEY: vmlinuz (+ vmlinux)  base.cpio.gz  kver  config  .done
set -eu
HERE=$(cd "$(dirname "$0")" && pwd)
CACHE=${VM_CACHE:-/var/tmp/remote-bridge-hidvm}
IMAGES=$CACHE/$(cat "$HERE/init" "$HERE/prepare.sh" | sha256sum | cut -c1-16)   # as run.sh finds it
mkdir -p "$CACHE/dl"

for tool in qemu-system-x86_64 cpio depmod xz; do
    command -v $tool >/dev/null || { echo "prepare: $tool is not installed: sh scripts/install-deps.sh installs it" >&2; exit 1; }
done

kpkg() { apt-cache depends linux-image-amd64 2>/dev/null | sed -n 's/^ *Depends: \(linux-image-[0-9].*\)$/\1/p' | head -1; }
if [ -z "${KPKG:-}" ]; then
    KPKG=$(kpkg); [ -n "$KPKG" ] || { apt-get update -qq; KPKG=$(kpkg); }
fi
KVER=${KPKG#linux-image-}
if [ "$(cat "$IMAGES/.done" 2>/dev/null)" = "$KPKG" ]; then
    echo "prepare: up to date ($KPKG) in $IMAGES"; exit 0
fi

# Built aside and moved into place whole, so a run never boots half an image.
OUT=$IMAGES.tmp.$$
rm -rf "$OUT"; mkdir -p "$OUT"
trap 'rm -rf "$OUT"' EXIT
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
# hidraw is CONFIG_HIDRAW=y, i.e. built into hid.ko in Debian's 6.1 kernels. Beside uhid, the USB
# stack with a USB device controller emulated in software: dummy_hcd (four controllers, each the
# host controller of a bus of its own with one port), the configfs HID gadget function that
# usb-remote plays a remote on, and usbhid, the host's driver for it.
R="$OUT/root"
mkdir -p "$R/bin" "$R/lib/modules" "$R/dev" "$R/proc" "$R/sys" "$R/tmp" "$R/root" "$R/host"
cp x/bin/busybox "$R/bin/busybox"
for m in hid uhid hid-generic virtio_pci 9pnet_virtio 9p usbhid dummy_hcd usb_f_hid; do
    modprobe -d x -S "$KVER" --show-depends "$m" | awk '$1=="insmod"{print $2}'
done | awk '!seen[$0]++' | while read -r ko; do
    cp "$ko" "$R/lib/modules/"
    case $(basename "$ko") in
    dummy_hcd.ko*) echo "$(basename "$ko") num=4" ;;
    *) basename "$ko" ;;
    esac
done > "$R/lib/modules/load"
cp "$HERE/init" "$R/init"; chmod 755 "$R/init"
(cd "$R" && find . | cpio -o -H newc --quiet | gzip -1) > "$OUT/base.cpio.gz"
rm -rf "$R"
cp "x/boot/vmlinuz-$KVER" "$OUT/vmlinuz"
# Also unpack the ELF vmlinux from the bzImage (Debian compresses with xz): QEMU
# boots it directly via the PVH entry point, which skips the real-mode setup and
# the in-guest decompression (about half the boot time under TCG).
off=$(LC_ALL=C grep -obUaP '\xfd7zXZ\x00' "$OUT/vmlinuz" | head -1 | cut -d: -f1)
if [ -n "$off" ] && tail -c +$((off + 1)) "$OUT/vmlinuz" | xz -dcq --single-stream > "$OUT/vmlinux.tmp" 2>/dev/null \
   && [ "$(head -c 4 "$OUT/vmlinux.tmp" | od -An -c | tr -d ' ')" = '177ELF' ]; then
    mv "$OUT/vmlinux.tmp" "$OUT/vmlinux"
else
    rm -f "$OUT/vmlinux.tmp"; echo "prepare: no vmlinux unpacked, run.sh will boot the bzImage"
fi
cp "x/boot/config-$KVER" "$OUT/config"
echo "$KVER" > "$OUT/kver"
rm -rf x
echo "$KPKG" > "$OUT/.done"
rm -rf "$IMAGES"; mv -T "$OUT" "$IMAGES"
# run.sh touches .done at each boot.
find "$CACHE" -mindepth 2 -maxdepth 2 -name .done -mtime +14 | while read -r done; do rm -rf "${done%/.done}"; done
echo "prepare: $KPKG ready in $IMAGES"
