#!/bin/sh
# job.sh BUILD_DIR: the WebHID suite's job inside the test VM (tools/hidvm/run.sh -b, as root):
# udevd with the project's udev rule (Chromium learns of remotes coming and going from udevd's
# events, and the rule gives the browser's user access), the uhid remotes of the suite, then
# suite.mjs, which runs Chromium as that user: nobody, a member of plugdev. (The page runner runs
# as root: a remote plugged again has its node before udevd gave it the rule's group, and the
# engine, which opens a remote once, would take it for one it cannot open.)
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

# The library's remotes (but the example pages' one), the transcripts' remotes (F plugged again
# half a minute after it went, for the other side's transcript), RO, whose node the browser's user
# may only read, and webhid-bench's two.
remotes=/tmp/webhid-remotes.sim
{
    grep -v '^id=demo' "$tests/remotes.sim"
    sed 's/vanish=2$/vanish=2, replug=30000/' "$tests/webhid/transcript-remotes.sim"
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
rm "$(node_of B)"             # cannot be opened, by root either: the plug-in and WebHID answer 202
chmod 0640 "$(node_of RO)"   # readable only: Chromium opens it read-only
ls -l /dev/hidraw*

run=$(mktemp -d /tmp/browser-run.XXXXXX)
chown nobody "$run"
chmod 700 "$run"
exec env BROWSER_XDG_RUNTIME_DIR="$run" node "$here/suite.mjs" "$build"
