#!/bin/sh
# Installs what is missing, builds, and runs every test of the project.
#   ./run-tests.sh                 normal build in build/
#   ./run-tests.sh asan            AddressSanitizer + UndefinedBehaviorSanitizer build in build-asan/
#   ./run-tests.sh tsan            ThreadSanitizer build in build-tsan/
# The normal run also runs every fuzz target for a few seconds (FUZZ_SECONDS, default 4) in
# build-fuzz/ (scripts/fuzz.sh).
set -eu
root=$(cd "$(dirname "$0")" && pwd)
flavour=${1:-normal}
sh "$root/scripts/install-deps.sh" tests
case $flavour in
    normal) dir=$root/build; opts="" ;;
    asan)   dir=$root/build-asan; opts="-DENABLE_ASAN_UBSAN=ON" ;;
    tsan)   dir=$root/build-tsan; opts="-DENABLE_TSAN=ON" ;;
    *) echo "usage: $0 [normal|asan|tsan]" >&2; exit 2 ;;
esac
sh "$root/scripts/build.sh" "$dir" $opts
cd "$dir"
ctest --output-on-failure -j "$(nproc)"
if [ "$flavour" = normal ]; then
    sh "$root/scripts/fuzz.sh" "${FUZZ_SECONDS:-4}"
fi
