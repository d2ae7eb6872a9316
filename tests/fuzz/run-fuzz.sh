#!/bin/sh
# Builds the fuzzers with clang in build-fuzz/ and runs each for SECONDS (600) on a corpus there that starts from its seeds
# and grows from run to run. Log lines are stamped with the seconds elapsed: the coverage at a time is the last "cov:" before;
# the summary of each target gives it at 5 s, at 60 s and at the end, with the executions a second.
set -e
failed=0 seconds=${1:-600} here=$(cd "$(dirname "$0")" && pwd) && root=$(cd "$here/../.." && pwd) && build=${FUZZ_BUILD:-$root/build-fuzz}
export QT_QPA_PLATFORM=offscreen LSAN_OPTIONS=suppressions=$root/tests/lsan.supp
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DSUMGRID_FUZZ=ON -DSUMGRID_TESTS=OFF -DSUMGRID_BENCH=OFF >/dev/null
cmake --build "$build" --target book_fuzzer import_fuzzer paint_fuzzer fuzz_replay_test -j"${JOBS:-$(nproc)}"
"$build/tests/fuzz/fuzz_replay_test" --gtest_brief=1  # the seeds and recorded faults pass under the sanitizers first
# The edges and features ("cov:" and "ft:") of the last line stamped at or before a second (any, without one), as cov/ft.
at() { awk -v s="$1" 's == "" || $1 <= s + 0 { for (i = 2; i < NF; ++i) if ($i == "cov:" || $i == "ft:") f[$i] = $(i + 1) }
                      END { print f["cov:"] "/" f["ft:"] }' "$log"; }
for target in book:150000 import:4096 paint:1024; do
  name=${target%:*} && corpus=$build/corpus/$name && log=$build/$name.log && start=$(date +%s)
  mkdir -p "$corpus" "$build/artifacts" && cp "$here/corpus/$name/"* "$corpus/"
  { "$build/tests/fuzz/${name}_fuzzer" -max_total_time="$seconds" -max_len="${target#*:}" -timeout=10 -print_final_stats=1 \
      -artifact_prefix="$build/artifacts/$name-" "$corpus" 2>&1 || echo "the fuzzer stopped on a fault"; } |
    while IFS= read -r line; do echo "$(($(date +%s) - start)) $line"; done >"$log"
  echo "$name: $(sed -n 's/.*number_of_executed_units: *//p' "$log") executions, $(sed -n 's/.*average_exec_per_sec: *//p' "$log") a second;" \
    "cov/ft at 5 s $(at 5), at 60 s $(at 60), at the end $(at); $(ls "$corpus" | wc -l) inputs in the corpus;" \
    "load $(uptime | sed 's/.*load average: //'); log $log"
  ! grep -aq "the fuzzer stopped on a fault" "$log" || { grep -av ' #[0-9]' "$log" | tail -n 30; failed=1; }
done
exit $failed
