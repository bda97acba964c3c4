#!/usr/bin/env bash
# The safety checks in one run, each step timed:
#   1. configure and build the sanitizer build (clang, AddressSanitizer and
#      UndefinedBehaviorSanitizer, with the fuzz targets);
#   2. the whole test suite in it;
#   3. each fuzz target for a bounded time;
#   4. the corpus check with the sanitizer build's program (skipped when the
#      corpus is absent).
#
#   scripts/ci-safety.sh [BUILD_DIR] [FUZZ_SECONDS_PER_TARGET] [CORPUS_MUTATIONS_PER_FILE]
#
# Defaults: build-safety, 60, 300. Installs clang and its runtime libraries
# with apt-get when they are missing. Runs every step; exits non-zero when
# any failed.
set -uo pipefail

build=${1:-build-safety}
seconds=${2:-60}
mutations=${3:-300}
here=$(cd "$(dirname "$0")/.." && pwd)
case $build in /*) ;; *) build=$PWD/$build ;; esac

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

fuzzer_links() {
    local probe
    probe=$(mktemp -d)
    printf 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }\n' \
        >"$probe/probe.cpp"
    clang++ -fsanitize=fuzzer,address,undefined "$probe/probe.cpp" -o "$probe/probe" >/dev/null 2>&1
    local result=$?
    rm -rf "$probe"
    return $result
}

missing=()
command -v clang++ >/dev/null || missing+=(clang)
command -v cmake >/dev/null || missing+=(cmake)
command -v pkg-config >/dev/null || missing+=(pkg-config)
[ -x /usr/bin/python3 ] || missing+=(python3)
pkg-config --exists taglib 2>/dev/null || missing+=(libtag1-dev)
pkg-config --exists uchardet 2>/dev/null || missing+=(libuchardet-dev)
[ -f /usr/include/nlohmann/json.hpp ] || missing+=(nlohmann-json3-dev)
[ -f /usr/include/gtest/gtest.h ] || missing+=(libgtest-dev)
if [ ${#missing[@]} -gt 0 ] || ! fuzzer_links; then
    echo "== installing ${missing[*]} libclang-rt-14-dev"
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" clang \
        libclang-rt-14-dev >/dev/null
fi

failed=()
timings=()
step() {
    local name=$1
    shift
    echo "== $name"
    local start
    start=$(date +%s)
    "$@"
    local result=$?
    local took=$(( $(date +%s) - start ))
    timings+=("$name: ${took} s (exit $result)")
    [ $result -eq 0 ] || failed+=("$name")
    return $result
}

step configure cmake -S "$here" -B "$build" -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAGSHIFTER_SANITIZE=ON -DTAGSHIFTER_FUZZ=ON
if step build cmake --build "$build" -j2; then
    # The blind sets measure the guess, which the first run of the suite does.
    # The kill tests stop the program at random moments, the packaging tests
    # check what ships: the plain builds run them; here they would only repeat
    # ordinary runs at several times the cost. The descriptor-limit test too:
    # the sanitizers' runtime needs descriptors of its own (it tests memory
    # through a pipe) and, denied them, reports faults that are not there.
    step tests ctest --test-dir "$build" -j2 --output-on-failure \
        -E '^(BlindEvaluation\.|KilledRun\.|InterruptedRun\.|HostileJournal\.InPlaceSaveOrUndoKilled|packaging\.|HostileOperands\.RunningOutOfDescriptors)'
    step fuzz "$here/scripts/fuzz.sh" "$seconds" "$build"
    step corpus "$here/tests/corpus/run_corpus.sh" "$build/tagshifter" "$mutations"
fi

echo "== times"
printf '   %s\n' "${timings[@]}"
if [ ${#failed[@]} -gt 0 ]; then
    echo "== failed: ${failed[*]}"
    exit 1
fi
echo "== all safety checks passed"
