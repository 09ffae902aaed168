#!/bin/sh
# fuzz.sh [SECONDS] [TARGET...]: builds the fuzz targets (clang, libFuzzer, ASan+UBSan) in
# build-fuzz/ and runs each target for SECONDS (default 5) from its seed corpus and regression
# cases, two at a time. Without targets it runs all of them. A target's folder may hold a
# dictionary (<target>.dict) and further libFuzzer flags (<target>.options).
#
# New inputs that reach new code collect in build-fuzz/fuzz-corpus/<target>/ and are kept for
# the next run; a crash is written to build-fuzz/fuzz-crashes/<target>/. To keep a crash as a
# regression case, fix the fault and copy the file into fuzz/<target>/regressions/.
#   FUZZ_BUILD_DIR   build folder (default build-fuzz)
#   FUZZ_JOBS        targets run at once (default 2)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${FUZZ_BUILD_DIR:-$root/build-fuzz}

if [ "${1:-}" = --run-one ]; then
    # One target: fuzz.sh --run-one TARGET SECONDS (used by the parallel loop below).
    target=$2; seconds=$3
    source_dir=$root/fuzz/$target
    work=$dir/fuzz-corpus/$target
    crashes=$dir/fuzz-crashes/$target
    log=$dir/fuzz-logs/$target.log
    mkdir -p "$work" "$crashes" "$(dirname "$log")"
    set -- -max_total_time="$seconds" -timeout=25 -rss_limit_mb=2560 -max_len=4096 -print_final_stats=1 \
        -artifact_prefix="$crashes/"
    [ -f "$source_dir/$target.dict" ] && set -- "$@" -dict="$source_dir/$target.dict"
    # <target>.options: further libFuzzer flags for the target ('#' starts a comment line).
    [ -f "$source_dir/$target.options" ] && set -- "$@" $(sed '/^#/d' "$source_dir/$target.options")
    set -- "$@" "$work" "$source_dir/corpus"
    [ -d "$source_dir/regressions" ] && set -- "$@" "$source_dir/regressions"
    if ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        "$dir/bin/fuzz_$target" "$@" >"$log" 2>&1; then
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
        echo "fuzz: $target: ${runs:-?} runs in $seconds s, no fault"
    else
        echo "fuzz: $target: FAULT, see $log and $crashes/"
        grep -E 'ERROR|runtime error|check failed|Test unit written' "$log" | head -n 5 | sed 's/^/    /'
        exit 1
    fi
    exit 0
fi

seconds=${1:-5}
[ $# -gt 0 ] && shift
jobs=${FUZZ_JOBS:-2}

cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DENABLE_FUZZING=ON -DENABLE_ASAN_UBSAN=ON >/dev/null
cmake --build "$dir" --target fuzz_targets -j "$(nproc)"

if [ $# -gt 0 ]; then
    targets="$*"
else
    targets=$(cd "$dir/bin" && ls fuzz_* | sed 's/^fuzz_//')
fi
mkdir -p "$dir/fuzz-logs"
for target in $targets; do
    rm -f "$dir/fuzz-logs/$target.result"
    echo "$target"
done | xargs -P "$jobs" -I{} sh -c 'sh "$0" --run-one {} "$1" >"$2/{}.result" 2>&1 || echo FAILED >>"$2/{}.result"' \
    "$root/scripts/fuzz.sh" "$seconds" "$dir/fuzz-logs" || true
failed=0
total=0
for target in $targets; do
    total=$((total + 1))
    grep -v '^FAILED$' "$dir/fuzz-logs/$target.result" || true
    grep -q '^FAILED$' "$dir/fuzz-logs/$target.result" && failed=$((failed + 1))
done
echo "fuzz: $((total - failed)) passed, $failed failed"
[ "$failed" -eq 0 ]
