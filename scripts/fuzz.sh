#!/usr/bin/env bash
# Builds the fuzz targets (clang, AddressSanitizer, UndefinedBehaviorSanitizer)
# and runs each for a bounded time on one core.
#
#   scripts/fuzz.sh [SECONDS_PER_TARGET] [BUILD_DIR] [TARGET...]
#
# Defaults: 600 seconds, build-fuzz, every target. The corpora grow in
# BUILD_DIR/fuzz-corpus/<target> (kept between runs); crashes, leaks and
# time-outs are written to BUILD_DIR/fuzz-findings/<target>/. Prints the
# executions of each target; exits non-zero when a target found something.
#
# TagLib is the system library, not instrumented: the fuzzers get coverage
# feedback from the tool's own code only, so the seeds (every tag layout of
# the tests) are kept in the corpus whatever coverage they add, and the
# mutations work on real tag layouts.
set -euo pipefail

seconds=${1:-600}
build=${2:-build-fuzz}
shift $(( $# < 2 ? $# : 2 ))
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(recode_fuzzer file_fuzzer)

here=$(cd "$(dirname "$0")/.." && pwd)
if [ ! -x "$build/fuzz/file_fuzzer" ] || [ ! -x "$build/fuzz/recode_fuzzer" ]; then
    cmake -S "$here" -B "$build" -DCMAKE_CXX_COMPILER=clang++ \
        -DTAGSHIFTER_SANITIZE=ON -DTAGSHIFTER_FUZZ=ON >/dev/null
fi
cmake --build "$build" -j2 --target recode_fuzzer file_fuzzer make_fuzz_seeds >/dev/null

seeds="$build/fuzz-seeds"
rm -rf "$seeds"
"$build/fuzz/make_fuzz_seeds" "$seeds" >/dev/null

status=0
for target in "${targets[@]}"; do
    corpus="$build/fuzz-corpus/$target"
    findings="$build/fuzz-findings/$target"
    mkdir -p "$corpus" "$findings"
    case $target in
        recode_fuzzer) seed="$seeds/recode"; maxlen=4096 ;;
        file_fuzzer) seed="$seeds/file"; maxlen=65536 ;;
        *) echo "unknown target $target" >&2; exit 2 ;;
    esac
    log="$findings/last-run.log"
    started=$(date +%s)
    set +e
    "$build/fuzz/$target" "$corpus" "$seed" -max_total_time="$seconds" -max_len="$maxlen" \
        -timeout=20 -rss_limit_mb=2560 -keep_seed=1 -print_final_stats=1 \
        -artifact_prefix="$findings/" >"$log" 2>&1
    result=$?
    set -e
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo "?")
    echo "$target: $runs executions in $(( $(date +%s) - started )) s, exit $result," \
         "corpus $(ls "$corpus" | wc -l) inputs"
    if [ "$result" -ne 0 ]; then
        status=1
        grep -E '^==[0-9]+==ERROR|SUMMARY|runtime error|artifact_prefix|Test unit written' "$log" | head -20
    fi
done
exit $status
