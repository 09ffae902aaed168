#!/bin/sh
# run_in_vm.sh BUILD_DIR: the WebHID bridge in Chromium inside the test VM, beside the plug-in
# (the CTest test webhid_vm_tests, label vm): boots the VM with what a browser needs
# (tools/hidvm/run.sh -b) and runs job.sh in it. Exits 77 (skipped) only where QEMU cannot run.
set -u
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../../../.." && pwd)
build=$(cd "$1" && pwd)

if ! command -v qemu-system-x86_64 >/dev/null 2>&1 \
   || ! echo quit | qemu-system-x86_64 -machine none -accel tcg -display none -nodefaults -monitor stdio >/dev/null 2>&1; then
    echo "webhid vm tests: SKIPPED: qemu-system-x86_64 cannot run here"
    exit 77
fi
# The VM sees the host's root read-only and the work folder read-write: the source tree (with the
# browser harness's npm packages) and the build folder in it, wherever the tree is (under /tmp
# the VM has a tmpfs of its own).
case $build in
    "$root"/*) work=$root ;;
    *) work=$build ;;
esac
start=$(date +%s)
"$root/tools/hidvm/run.sh" -b -m 2048 -t "${HIDVM_TIMEOUT:-1200}" -w "$work" -- sh "$here/job.sh" "$build"
rc=$?
echo "webhid vm tests: VM run took $(( $(date +%s) - start )) s, exit $rc"
exit $rc
