#!/bin/sh
# run_in_vm.sh [BUILD_DIR] [--quick]: boots the test VM with what a browser needs and runs
# webhid-bench in it (default build dir: build/ of the project). Build first.
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
[ $# -gt 0 ] && shift
# The source tree (with the browser harness's npm packages) is shared with the VM, and the build
# folder in it; a build folder elsewhere is shared on its own.
case $build in
    "$root"/*) work=$root ;;
    *) work=$build ;;
esac
exec "$root/tools/hidvm/run.sh" -b -m 2048 -t 1500 -w "$work" -- node "$root/bench/webhid/webhid-bench.mjs" --build "$build" "$@"
