#!/bin/sh
# build.sh <build-dir> [--target NAME]... [cmake options...]: configures (once) and builds the
# project, or only the named targets and what they need.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
dir=$1; shift
targets=""
while [ "${1:-}" = --target ]; do
    targets="$targets --target $2"
    shift 2
done
cmake -S "$root" -B "$dir" -G Ninja "$@" >/dev/null
# shellcheck disable=SC2086 # one word per target name
cmake --build "$dir" -j "$(nproc)" $targets
