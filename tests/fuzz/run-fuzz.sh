#!/bin/sh
# Builds the puzzle-book fuzzer with clang in build-fuzz/ and runs it, one
# job, for SECONDS (600 when not given) on a working copy of the seed corpus
# that grows from run to run; then prints how many inputs were executed.
# A failing input is left in build-fuzz/fuzz-artifacts/.
set -e
seconds=${1:-600}
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=${FUZZ_BUILD:-$root/build-fuzz}

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DSUMGRID_FUZZ=ON -DSUMGRID_TESTS=OFF -DSUMGRID_BENCH=OFF >/dev/null
cmake --build "$build" --target book_fuzzer book_fuzz_regressions_test -j"${JOBS:-$(nproc)}"

# The seeds and recorded faults must pass under the sanitizers before fuzzing starts.
"$build/tests/fuzz/book_fuzz_regressions_test" --gtest_brief=1

corpus="$build/fuzz-corpus"
artifacts="$build/fuzz-artifacts"
mkdir -p "$corpus" "$artifacts"
cp "$here"/corpus/* "$corpus"/

log="$build/fuzz-last.log"
status=0
"$build/tests/fuzz/book_fuzzer" -max_total_time="$seconds" -max_len=4096 -timeout=10 \
  -dict="$here/book.dict" -print_final_stats=1 -artifact_prefix="$artifacts/" "$corpus" >"$log" 2>&1 || status=$?
grep -v '^#[0-9]' "$log" | tail -n 40
executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
# A run cut short by a fault prints no final stats; its last progress line counts.
[ -n "$executions" ] || executions=$(sed -n 's/^#\([0-9][0-9]*\).*/\1/p' "$log" | tail -n 1)
echo "book_fuzzer: ${executions:-?} executions in ${seconds} s, exit status $status"
exit "$status"
