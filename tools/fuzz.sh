#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz/ and runs each one for
# a bounded time, starting from its committed seed corpus. Any crash,
# sanitizer report, leak, hang or oversized allocation in a fuzzer fails the
# run; the input that caused it is left in build-fuzz/findings/<target>/.
# The OBJ and image fuzzers hand their inputs to the loading worker, where a
# crash or a passed limit is an outcome the viewer survives, not a finding.
# CI must not go red on the luck of the draw, so every run explores much the
# same inputs: a fixed seed, a fresh scratch corpus and a fixed number of
# runs (the three side by side take about 70 s on this 2-core machine); the
# time limit only caps a slower machine, which then explores a prefix of the
# sequence. (What the worker reports back depends a little on timing and on
# where its memory lies, so the later inputs can differ between runs.)
#   FUZZ_SECONDS   time cap for every target (default: each target's own)
#   FUZZ_SEED      libFuzzer seed (default 1; another value explores anew)
set -euo pipefail
cd "$(dirname "$0")/.."

seed=${FUZZ_SEED:-1}
# Executions per target. Each OBJ or image input is a round trip to the
# worker, and every input it fails on starts a fresh worker: about 50 OBJ
# inputs and 120 images a second here alone, 23 and 60 beside the others,
# about 65 s each. Replies are read in-process, about 70,000 a second alone
# and 26,000 beside the other two (a million in 39 s).
declare -A runs=([obj_import]=1500 [image_decode]=4000 [reply_read]=1000000)
# Time caps, about twice what the runs take here beside each other.
declare -A seconds=([obj_import]=150 [image_decode]=150 [reply_read]=90)
# A single input may not take longer than this: more than the worker's
# wall-clock limit for one request (10 s) and a fresh worker's start.
declare -A per_input_seconds=([obj_import]=30 [image_decode]=30 [reply_read]=10)
# Nor allocate more in one call. The fuzzers themselves hold only inputs,
# requests and replies (whose pixels and meshes stay in the worker's
# mapped memory), so an allocation this large means a count read from a
# reply slipped past its checks.
declare -A malloc_limit_mb=([obj_import]=256 [image_decode]=256 [reply_read]=256)
# The sanitizers' quarantine and libFuzzer's corpus take most of it.
rss_limit_mb=2048
targets=(obj_import image_decode reply_read)

bash tools/install-deps.sh fuzz

bash tools/configure.sh build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DVORLUNE_FUZZ=ON -DBUILD_TESTING=OFF
cmake --build build-fuzz -j"$(nproc)" --target "${targets[@]/%/_fuzzer}"

export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1
export LSAN_OPTIONS=suppressions=$PWD/tools/sanitizers/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1

# The targets run side by side, one per core.
pids=()
for target in "${targets[@]}"; do
  # New inputs go to a scratch corpus; the committed seeds stay untouched.
  work=build-fuzz/corpus/$target
  findings=build-fuzz/findings/$target
  rm -rf "$work"
  mkdir -p "$work" "$findings"
  dict=()
  if [ -f "fuzz/$target.dict" ]; then
    dict=(-dict="fuzz/$target.dict")
  fi
  "build-fuzz/fuzz/${target}_fuzzer" "${dict[@]}" \
    -seed="$seed" -runs="${runs[$target]}" -max_total_time="${FUZZ_SECONDS:-${seconds[$target]}}" \
    -timeout="${per_input_seconds[$target]}" \
    -rss_limit_mb="$rss_limit_mb" -malloc_limit_mb="${malloc_limit_mb[$target]}" \
    -artifact_prefix="$findings/" -print_final_stats=1 \
    "$work" "fuzz/corpus/$target" >"build-fuzz/$target.log" 2>&1 &
  pids+=($!)
done
echo "Fuzzing ${targets[*]} (seed $seed)"

status=0
for i in "${!targets[@]}"; do
  target=${targets[$i]}
  if wait "${pids[$i]}"; then
    echo "== $target: no findings"
    grep -E '^stat::(number_of_executed_units|average_exec_per_sec|new_units_added|peak_rss_mb)' \
      "build-fuzz/$target.log" || true
  else
    echo "== $target FAILED: the input is kept in build-fuzz/findings/$target/" >&2
    grep -v -E '^#[0-9]+' "build-fuzz/$target.log" | tail -n 60 >&2
    status=1
  fi
done
exit $status
