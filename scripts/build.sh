#!/bin/sh
# build.sh <build-dir> [cmake options...]: configures (once) and builds the project.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
dir=$1; shift
cmake -S "$root" -B "$dir" -G Ninja "$@" >/dev/null
cmake --build "$dir" -j "$(nproc)"
