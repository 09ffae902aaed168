#!/bin/sh
# job.sh BUILD_DIR: the WebHID suite's job inside the test VM (tools/hidvm/run.sh -b, as root):
# udevd with the project's udev rule (Chromium learns of remotes coming and going from udevd's
# events, and the rule gives the page's user access), the uhid remotes of the suite, then
# suite.mjs as the page's user: nobody, a member of plugdev.
set -eu
build=$1
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../../../.." && pwd)
tests=$root/web/tests

udevd=/lib/systemd/systemd-udevd
[ -x $udevd ] || { echo "webhid vm: FAILED: no $udevd (Debian's udev, scripts/packages/webhid.txt)"; exit 1; }
sh "$root/scripts/install-udev-rule.sh" --rules-dir /run/udev/rules.d --no-reload \
    1234:0001 1234:0002 1234:0003 1234:0004 1234:0005 1234:0006 1234:0012 1234:0014 1234:0021 1234:0022 1234:5678
$udevd --daemon

# The library's remotes (but the example pages' one), the transcripts' remotes, RO, whose node
# the page's user may only read, and webhid-bench's two.
remotes=/tmp/webhid-remotes.sim
{
    grep -v '^id=demo' "$tests/remotes.sim"
    cat "$tests/webhid/transcript-remotes.sim"
    echo 'id=RO, pid=0x0006, reply=echo'
    echo 'id=BO, pid=0x0021, reply=echo'
    echo 'id=BL, pid=0x0022, reply=64, delay=1, rate=1'
} > $remotes
"$build/bin/uhid-remote" -q @$remotes &
"$build/bin/uhid-remote" -q -n @"$tests/webhid/numbered-remote.sim" &
expected=$(( $(grep -c '^id=' $remotes) + 1 ))

# Each remote's hidraw node by its name (HID_UNIQ), once every remote has one.
node_of() {
    for dev in /sys/class/hidraw/*; do
        grep -qx "HID_UNIQ=$1" "$dev/device/uevent" 2>/dev/null && { echo "/dev/${dev##*/}"; return; }
    done
}
# (udevadm settle does nothing in a chroot: the rule's group on every node tells that udevd is done.)
settled() {
    [ "$(ls /sys/class/hidraw | wc -l)" -ge $expected ] || return 1
    for node in /dev/hidraw*; do [ "$(stat -c %G "$node")" = plugdev ] || return 1; done
}
for _ in $(seq 600); do settled && break; sleep 0.1; done
settled || { echo "webhid vm: FAILED: not every remote plugged, or udevd did not apply the rule"; ls -l /dev/hidraw*; exit 1; }
chmod 0600 "$(node_of B)"    # cannot be opened: the plug-in and WebHID answer 202
chmod 0640 "$(node_of RO)"   # readable only: Chromium opens it read-only
ls -l /dev/hidraw*

user=$(mktemp -d /tmp/page-user.XXXXXX)
mkdir -p /etc/chromium/policies/managed "$user/run"
chown -R nobody "$user" /etc/chromium/policies/managed
chmod 700 "$user/run"
exec setpriv --reuid=nobody --regid=nogroup --groups=plugdev \
    env HOME="$user" XDG_RUNTIME_DIR="$user/run" node "$here/suite.mjs" "$build"
