#!/bin/sh
# run_in_vm.sh [BUILD_DIR] [BENCH_OPTION...]: boots the test VM and runs hidraw-bench in it with
# the given options, e.g. --quick (default build dir: build/ of the project). Build first: cmake --build BUILD_DIR --target hidraw-bench
# Two virtual CPUs: the engine's caller and worker threads each get one, as on a real machine
# (with one, a caller that polls takes the CPU from the worker it waits for).
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
[ $# -gt 0 ] && shift
exec "$root/tools/hidvm/run.sh" -s 2 -m 1024 -w "$build" -- "$build/bin/hidraw-bench" "$@"
