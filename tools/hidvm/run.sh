#!/bin/bash
# Boot the test VM (kernel + initramfs from prepare.sh) and run one command in it.
#
#   run.sh [-t secs] [-w dir] [-m mem] [-s cpus] [-b] [-k] [-v] -- command [args...]
#
# Inside the VM the host's root filesystem is mounted read-only over 9p and the
# command runs chrooted in it, so host binaries (dynamically linked, C++ runtime,
# ctest, ...) run unchanged. The work dir (-w, default: current dir) is shared
# read-write at the same path and is the command's cwd. /tmp and /run are empty
# tmpfs; /dev, /proc, /sys are the VM's own (uhid, USB gadget and host modules; configfs).
# The environment is reset to PATH, HOME, LANG and HIDVM=1.
# The command's stdout+stderr come back on stdout; run.sh exits with its exit code
# (124 on timeout, 125 when the VM failed before reporting one).
#
#   -t secs   give up after secs (default 300)
#   -w dir    work dir shared read-write (default: current dir)
#   -m MiB    guest memory (default 512);  -s n  vCPUs (default 1: under TCG a
#             second vCPU makes wakeups across CPUs slow, see README.md)
#   -b        what a browser needs: a tmpfs on /dev/shm, the loopback interface up, a
#             writable copy of /etc/chromium (for policies), XDG_RUNTIME_DIR on a tmpfs
#             and GSETTINGS_BACKEND=memory (dconf aborts on the read-only share)
#   -k        require KVM; -K forbid it (default: KVM only where the host CPU shows
#             vmx/svm, else TCG; see README.md for why /dev/kvm alone is not enough)
#   -v        print the VM's kernel console afterwards
# Environment: VM_CACHE (default /var/tmp/remote-bridge-hidvm), as for prepare.sh.
set -u
HERE=$(cd "$(dirname "$0")" && pwd)
CACHE=${VM_CACHE:-/var/tmp/remote-bridge-hidvm}
timeout_s=300 workdir=$PWD mem=512 cpus=1 accel=auto verbose=0 browser=0
while getopts "t:w:m:s:bkKv" o; do
    case $o in
    t) timeout_s=$OPTARG ;; w) workdir=$(cd "$OPTARG" && pwd) ;; m) mem=$OPTARG ;;
    s) cpus=$OPTARG ;; b) browser=1 ;; k) accel=kvm ;; K) accel=tcg ;; v) verbose=1 ;;
    *) sed -n '2,25p' "$0" >&2; exit 2 ;;
    esac
done
shift $((OPTIND - 1))
[ $# -gt 0 ] || { sed -n '2,25p' "$0" >&2; exit 2; }
IMAGES=$CACHE/$(cat "$HERE/init" "$HERE/prepare.sh" | sha256sum | cut -c1-16)   # as prepare.sh makes it
if [ -f "$IMAGES/.done" ]; then
    touch "$IMAGES/.done"                                # in use: not pruned
else
    sh "$HERE/prepare.sh" >&2 || exit 125
fi

if [ $accel = auto ]; then
    accel=tcg
    [ -w /dev/kvm ] && grep -qwE 'vmx|svm' /proc/cpuinfo && accel=kvm
fi
if [ $accel = kvm ]; then acc=(-accel kvm -cpu host); else acc=(-accel tcg,thread=multi -cpu max); fi

kernel=$IMAGES/vmlinux; [ -f "$kernel" ] || kernel=$IMAGES/vmlinuz   # vmlinux: PVH boot, faster

tmp=$(mktemp -d /tmp/hidvm-run.XXXXXX)
qpid=
trap '[ -n "$qpid" ] && kill $qpid 2>/dev/null; rm -rf "$tmp"' EXIT

# The job: mount the shares, chroot, run the command (each argument single-quoted).
q() { printf "'%s' " "$(printf %s "$1" | sed "s/'/'\\\\''/g")"; }
cmd=""; for a in "$@"; do cmd+=$(q "$a"); done
mkdir -p "$tmp/job/job"
browser_setup="" browser_env=""
if [ $browser = 1 ]; then
    browser_setup='mkdir -p /host/dev/shm && mount -t tmpfs -o mode=1777 shm /host/dev/shm
ip link set lo up
if [ -d /host/etc/chromium ]; then
    cp -a /host/etc/chromium /tmp/etc-chromium && mount -t tmpfs -o mode=755 etc-chromium /host/etc/chromium
    cp -a /tmp/etc-chromium/. /host/etc/chromium/
fi
mkdir -m 700 /host/run/xdg'
    browser_env="XDG_RUNTIME_DIR=/run/xdg GSETTINGS_BACKEND=memory"
fi
cat > "$tmp/job/job/cmd" <<EOF
o=trans=virtio,version=9p2000.L,msize=512000
mount -t 9p -o ro,\$o hostroot /host || exit 125
mount -t devtmpfs dev /host/dev; mount -t proc proc /host/proc; mount -t sysfs sys /host/sys
mount -t tmpfs tmp /host/tmp; mount -t tmpfs run /host/run
mount -t configfs configfs /host/sys/kernel/config      # USB gadgets (usb-remote)
mkdir -p /host$(q "$workdir") 2>/dev/null   # only needed under /tmp or /run
mount -t 9p -o \$o work /host$(q "$workdir") || exit 125
$browser_setup
exec chroot /host /usr/bin/env -i PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \\
    HOME=/root LANG=C.UTF-8 HIDVM=1 $browser_env /bin/sh -c 'cd "\$1" && shift && exec "\$@"' sh $(q "$workdir") $cmd
EOF
(cd "$tmp/job" && find . | cpio -o -H newc --quiet | gzip -1) > "$tmp/job.cpio.gz"
cat "$IMAGES/base.cpio.gz" "$tmp/job.cpio.gz" > "$tmp/initrd"

: > "$tmp/out"; : > "$tmp/rc"
timeout "$timeout_s" qemu-system-x86_64 "${acc[@]}" -m "$mem" -smp "$cpus" \
    -nodefaults -no-reboot -display none -no-user-config \
    -kernel "$kernel" -initrd "$tmp/initrd" \
    -append "console=ttyS0 quiet panic=-1" \
    -serial "file:$tmp/console" -serial "file:$tmp/out" -serial "file:$tmp/rc" \
    -virtfs "local,path=/,mount_tag=hostroot,security_model=none,readonly=on,multidevs=remap" \
    -virtfs "local,path=${workdir//,/,,},mount_tag=work,security_model=passthrough,multidevs=remap" \
    > "$tmp/qemu.log" 2>&1 &
qpid=$!
tail -s 0.2 -f --pid=$qpid "$tmp/out"
wait $qpid; qrc=$?; qpid=

rc=$(tr -dc 0-9 < "$tmp/rc")
if [ $verbose = 1 ] || [ -z "$rc" ]; then
    echo "--- run.sh: qemu exit $qrc ($accel); qemu log and VM console:" >&2
    cat "$tmp/qemu.log" "$tmp/console" >&2
fi
[ $qrc = 124 ] && { echo "run.sh: timed out after ${timeout_s}s" >&2; exit 124; }
exit "${rc:-125}"
