#!/bin/sh
# check-fresh-debian.sh [--package-tests] [COMMIT]: runs the README's two commands as a new user
# would, on a fresh Debian 12: makes a minimal bookworm tree with debootstrap (plus git,
# ca-certificates and sudo, the sources and /etc/hosts of an installed system, this machine's CA
# bundle), clones COMMIT of this repository into it (default: HEAD; uncommitted changes are not
# taken), runs ./run-demo.sh and then ./run-tests.sh in it as root, and prints the time and the
# downloads of each. The tree is removed afterwards however the script ends.
#
# It downloads a whole system (about 700 MB) and builds everything from scratch (no ccache yet):
# allow a quarter of an hour or more and 5 GB under FRESH_DEBIAN_DIR. Run it as root; it is no
# part of the CI run.
#   --package-tests        run the package's tests too (REMOTE_BRIDGE_PACKAGE_TESTS=1: they
#                          install the .deb into the tree); by default they skip, as for a user
#   FRESH_DEBIAN_DIR       where the tree goes (default /var/tmp)
#   FRESH_DEBIAN_MIRROR    Debian mirror (default http://deb.debian.org/debian)
#   FRESH_DEBIAN_SECURITY  security mirror (default http://deb.debian.org/debian-security)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
say() { echo "check-fresh-debian: $*"; }
usage() { echo "usage: $0 [--package-tests] [COMMIT]" >&2; exit 2; }

package_tests=no
commit=HEAD
while [ $# -gt 0 ]; do
    case $1 in
        --package-tests) package_tests=yes ;;
        -*) usage ;;
        *) commit=$1 ;;
    esac
    shift
done
[ "$(id -u)" -eq 0 ] || { say "run it as root: debootstrap, mount and chroot need it" >&2; exit 2; }
commit=$(git -C "$root" rev-parse --verify "$commit^{commit}")
git -C "$root" diff --quiet HEAD -- 2>/dev/null || say "note: uncommitted changes of $root are not in the check"
sh "$root/scripts/install-deps.sh" fresh-debian

mirror=${FRESH_DEBIAN_MIRROR:-http://deb.debian.org/debian}
security=${FRESH_DEBIAN_SECURITY:-http://deb.debian.org/debian-security}
tree=$(mktemp -d "${FRESH_DEBIAN_DIR:-/var/tmp}/remote-bridge-fresh-debian.XXXXXX")
tree=$(cd "$tree" && pwd -P)
chmod 0755 "$tree"    # the tree's root directory: every user of the system enters it
log=$tree.debootstrap.log

# The mount points at or below the tree, deepest first.
mounts_below() {
    findmnt -rn -o TARGET | awk -v t="$tree" '$0 == t || index($0, t "/") == 1' | sort -r
}

# Processes whose root is the tree (a command still running when the script is stopped).
processes_in_tree() {
    for p in /proc/[0-9]*; do
        [ "$(readlink "$p/root" 2>/dev/null)" = "$tree" ] && echo "${p#/proc/}"
    done
    return 0
}

# However the script ends: end what still runs in the tree, unmount everything below it, and
# remove it only when nothing is mounted there any more (a recursive removal across /dev, /proc
# or /sys would reach the machine's own).
cleanup() {
    status=$?
    trap - EXIT INT TERM HUP
    set +e
    rm -f "$log"
    for _ in 1 2 3 4 5; do
        pids=$(processes_in_tree)
        [ -z "$pids" ] && break
        # shellcheck disable=SC2086 # one pid a word
        kill -KILL $pids 2>/dev/null
        sleep 1
    done
    for m in $(mounts_below); do
        umount "$m" 2>/dev/null || umount -l "$m"
    done
    if [ -n "$(mounts_below)" ]; then
        say "still mounted below $tree, so it is NOT removed:" >&2
        mounts_below >&2
        exit 1
    fi
    # --one-file-system: never leaves the tree's own file system, whatever was missed above.
    rm -rf --one-file-system "$tree" && say "removed $tree"
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP

# A command in the tree with the environment of a root login on a new machine, and nothing of ours.
in_tree() {
    chroot "$tree" /usr/bin/env -i HOME=/root USER=root LOGNAME=root SHELL=/bin/sh TERM=dumb \
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin "$@"
}

mb() { awk -v b="$1" 'BEGIN { printf "%.0f MB", b / 1e6 }'; }
files_bytes() { find "$@" -maxdepth 1 -name '*.deb' -printf '%s\n' 2>/dev/null | awk '{ s += $1 } END { print s + 0 }'; }
files_count() { find "$@" -maxdepth 1 -name '*.deb' 2>/dev/null | wc -l; }
dir_bytes() { if [ -d "$1" ]; then du -sb "$1" | cut -f1; else echo 0; fi; }
# shellcheck disable=SC2016 # dpkg-query's own fields
installed() { in_tree dpkg-query -W -f='${db:Status-Abbrev} ${Installed-Size}\n' | awk '$1 == "ii"' ; }
installed_kb() { installed | awk '{ s += $2 } END { print s + 0 }'; }
installed_count() { installed | wc -l; }

# What a command downloaded is what it left in apt's archive, npm's cache and the test VM's
# download folder (apt's package lists are fetched before, as an installed system has them).
snapshot() {
    apt_bytes=$(files_bytes "$tree/var/cache/apt/archives"); apt_count=$(files_count "$tree/var/cache/apt/archives")
    npm_bytes=$(dir_bytes "$tree/root/.npm/_cacache")
    vm_bytes=$(files_bytes "$tree/var/tmp/remote-bridge-hidvm/dl")
    pkg_kb=$(installed_kb); pkg_count=$(installed_count)
}

results=""
run_command() {
    name=$1; shift
    snapshot
    a0=$apt_bytes c0=$apt_count n0=$npm_bytes v0=$vm_bytes k0=$pkg_kb p0=$pkg_count
    say "=== $name"
    start=$(date +%s)
    if in_tree "$@" sh -c "cd /root/remote-bridge && $name"; then outcome=passed; else outcome=FAILED; fi
    seconds=$(( $(date +%s) - start ))
    snapshot
    line="$name $outcome in $((seconds / 60)) min $((seconds % 60)) s; downloaded $(mb $((apt_bytes + npm_bytes + vm_bytes - a0 - n0 - v0)))"
    line="$line (apt: $((apt_count - c0)) packages, $(mb $((apt_bytes - a0))); npm: $(mb $((npm_bytes - n0)));"
    line="$line test VM kernel: $(mb $((vm_bytes - v0)))); $((pkg_count - p0)) packages installed, $(mb $(( (pkg_kb - k0) * 1024 )))"
    say "$line"
    results="$results
  $line"
    [ $outcome = passed ]
}

say "fresh Debian 12 in $tree, commit $(git -C "$root" log -1 --format='%h %s' "$commit" | cut -c1-60)"
start=$(date +%s)
debootstrap --variant=minbase --include=git,ca-certificates,sudo bookworm "$tree" "$mirror" >"$log" 2>&1 \
    || { tail -n 20 "$log" >&2; say "debootstrap failed" >&2; exit 1; }

# What the installer of a networked system leaves: the release, its updates and security sources,
# the hosts file; and this machine's CA bundle, through which it reaches the registries (kept
# under /usr/local/share too, so that a regeneration of the bundle keeps it).
cat >"$tree/etc/apt/sources.list" <<EOF
deb $mirror bookworm main
deb $mirror bookworm-updates main
deb $security bookworm-security main
EOF
printf '127.0.0.1\tlocalhost\n::1\t\tlocalhost ip6-localhost ip6-loopback\n' >"$tree/etc/hosts"
cp /etc/resolv.conf "$tree/etc/resolv.conf"
cp /etc/ssl/certs/ca-certificates.crt "$tree/etc/ssl/certs/ca-certificates.crt"
mkdir -p "$tree/usr/local/share/ca-certificates"
cp /etc/ssl/certs/ca-certificates.crt "$tree/usr/local/share/ca-certificates/this-machine.crt"

# What the browsers, QEMU and the tests use of a running system: its own /proc, a read-only /sys,
# the kernel's device nodes, pseudo-terminals and shared memory; fresh mounts, not bind mounts of
# the machine's.
mount -t proc -o nosuid,nodev,noexec proc "$tree/proc"
mount -t sysfs -o ro,nosuid,nodev,noexec sysfs "$tree/sys"
mount -t devtmpfs -o nosuid,mode=0755 devtmpfs "$tree/dev"
mount -t devpts -o nosuid,noexec,gid=5,mode=0620,ptmxmode=0666 devpts "$tree/dev/pts"
mount -t tmpfs -o nosuid,nodev,mode=1777 shm "$tree/dev/shm"

in_tree sh -c 'apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get upgrade -y -qq >/dev/null && apt-get clean'
base="base system: $(( $(date +%s) - start )) s, $(installed_count) packages, $(du -sxh "$tree" | cut -f1)"
say "$base"

git clone --quiet --no-hardlinks "$root" "$tree/root/remote-bridge"
git -C "$tree/root/remote-bridge" checkout --quiet --detach "$commit"

failed=0
run_command ./run-demo.sh || failed=1
if [ $package_tests = yes ]; then
    run_command ./run-tests.sh REMOTE_BRIDGE_PACKAGE_TESTS=1 || failed=1
else
    run_command ./run-tests.sh || failed=1
fi
# shellcheck disable=SC2016 # expanded in the tree
node=$(in_tree sh -c 'echo "Node.js $(node --version), npm $(npm --version)"' 2>/dev/null || echo "no Node.js")
say "summary ($base; $node; the tree is $(du -sxh "$tree" | cut -f1) at the end):$results"
exit $failed
