#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz/ and runs each one for
# a bounded time, starting from its committed seed corpus. Any crash,
# sanitizer report, leak, hang or oversized allocation fails the run; the
# input that caused it is left in build-fuzz/findings/<target>/.
# CI must not go red on the luck of the draw, so every run explores the same
# inputs: a fixed seed, a fresh scratch corpus and a fixed number of runs
# (about a minute each on this machine); the time limit only caps a slower
# machine, which then explores a prefix of the same sequence.
#   FUZZ_SECONDS   time cap per target (default 90)
#   FUZZ_SEED      libFuzzer seed (default 1; another value explores anew)
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${FUZZ_SECONDS:-90}
seed=${FUZZ_SEED:-1}
# Executions per target, about a minute each: Assimp zero-fills a large
# buffer per import and the screening replays the costly steps, so OBJ
# inputs run about 50 a second here against about 4,000 images.
declare -A runs=([obj_import]=3000 [image_decode]=250000)
# A single input may not take longer than this. The image limits let a few
# hundred bytes of JPEG ask for as much decoding as 32 scans over 8192 x 8192
# px, which the decoder does from zeros: 28 s under the sanitizers here.
declare -A per_input_seconds=([obj_import]=10 [image_decode]=60)
# Nor allocate more in one call: sizes and the image decoder's blocks are
# capped below it (its largest block is 769 MiB, 8192 x 8192 pixels of 3
# floats, for HDR), so an allocation this large means a declared size
# slipped past the caps.
declare -A malloc_limit_mb=([obj_import]=512 [image_decode]=800)
# The heaviest image decode (8192 x 8192 HDR, floats and then bytes) peaks
# at 1.1 GB under the sanitizers.
rss_limit_mb=2048
targets=(obj_import image_decode)

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
    -seed="$seed" -runs="${runs[$target]}" -max_total_time="$seconds" -timeout="${per_input_seconds[$target]}" \
    -rss_limit_mb="$rss_limit_mb" -malloc_limit_mb="${malloc_limit_mb[$target]}" \
    -artifact_prefix="$findings/" -print_final_stats=1 \
    "$work" "fuzz/corpus/$target" >"build-fuzz/$target.log" 2>&1 &
  pids+=($!)
done
echo "Fuzzing ${targets[*]} (seed $seed, at most ${seconds}s each)"

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
