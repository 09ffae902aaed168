#!/bin/sh
# run_vm_tests.sh BUILD_DIR PROGRAM...: boots the test VM once and runs each test program in it
# (the build directory is shared with the VM at the same path). Exits 0 when every program
# passed, 77 (skipped) only when QEMU cannot run on this machine at all, else 1.
set -u
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd); shift

skip() { echo "vm tests: SKIPPED: $*"; exit 77; }

# QEMU comes with the tests' packages (scripts/packages/hidvm.txt), installed before any test runs:
# a test installs nothing, so that no two installs race. prepare.sh checks the initramfs tools.
if ! command -v qemu-system-x86_64 >/dev/null 2>&1; then
    echo "vm tests: FAILED: qemu-system-x86_64 is not installed; sh scripts/install-deps.sh installs it (./run-tests.sh runs it first)"
    exit 1
fi
echo quit | qemu-system-x86_64 -machine none -accel tcg -display none -nodefaults -monitor stdio >/dev/null 2>&1 \
    || skip "qemu-system-x86_64 cannot start on this machine"

sh "$here/prepare.sh" || { echo "vm tests: FAILED: cannot prepare the VM kernel and initramfs"; exit 1; }

# The job inside the VM: every program in turn, all of them even when one fails.
job=$(mktemp "$build/hidvm-job.XXXXXX")
trap 'rm -f "$job"' EXIT
{
    echo 'echo "vm: kernel $(uname -r), $(nproc) vCPU, up $(cut -d" " -f1 /proc/uptime) s"; failed=0'
    for program in "$@"; do
        echo "echo '== $program'; '$program' --gtest_color=no || failed=\$((failed + 1))"
    done
    echo "echo \"vm: \$failed of $# test programs failed\"; [ \$failed -eq 0 ]"
} > "$job"

start=$(date +%s)
"$here/run.sh" -t "${HIDVM_TIMEOUT:-900}" -m 1024 -w "$build" -- sh "$job"
rc=$?
echo "vm tests: VM run took $(( $(date +%s) - start )) s, exit $rc"
[ $rc -eq 0 ] || exit 1
