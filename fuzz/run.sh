#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz/ and runs each for
# SECONDS seconds (default 30), one after the other, starting from the seed
# corpus in fuzz/corpus/TARGET. Prints the executions and findings of every
# target and exits non-zero when any target finds a failing input (kept in
# build-fuzz/findings/). Without clang++ or its libFuzzer it says so and
# exits 0.
#
#   fuzz/run.sh [SECONDS] [TARGET...]
#
# HN_FUZZ_RUNS=N also ends each target after N executions, whichever comes
# first; HN_FUZZ_BUILD names another build folder.
set -euo pipefail

seconds="${1:-30}"
shift || true
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${HN_FUZZ_BUILD:-$root/build-fuzz}"
targets=("$@")
((${#targets[@]} > 0)) || targets=(csv_reader_fuzzer run_script_fuzzer assembler_fuzzer)

if ! command -v clang++ >/dev/null 2>&1; then
  echo "fuzz: clang++ not found; fuzz targets skipped (apt-get install clang)"
  exit 0
fi

cmake -S "$root" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DHN_BUILD_FUZZERS=ON -DHN_BUILD_TESTS=OFF -DHN_BUILD_BENCHMARKS=OFF >"$build.configure.log" 2>&1 ||
  { cat "$build.configure.log"; exit 1; }
if ! grep -q '^HN_COMPILER_HAS_LIBFUZZER:INTERNAL=1' "$build/CMakeCache.txt"; then
  echo "fuzz: $(clang++ --version | head -1) has no libFuzzer; fuzz targets skipped"
  exit 0
fi
cmake --build "$build" -j2 --target "${targets[@]}" >/dev/null

# A small quarantine and no fill of new blocks: several times the executions
# per second, while overflows are still found.
export ASAN_OPTIONS="${ASAN_OPTIONS:-quarantine_size_mb=16:max_malloc_fill_size=0}"

mkdir -p "$build/findings"
status=0
summary=()
for target in "${targets[@]}"; do
  corpus="$build/corpus/$target"
  mkdir -p "$corpus"
  log="$build/$target.log"
  echo "fuzz: $target for ${seconds} s"
  set +e
  "$build/fuzz/$target" -max_total_time="$seconds" -print_final_stats=1 \
    ${HN_FUZZ_RUNS:+-runs="$HN_FUZZ_RUNS"} \
    -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$build/findings/$target-" \
    "$corpus" "$root/fuzz/corpus/$target" >"$log" 2>&1
  result=$?
  set -e
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  findings=$(find "$build/findings" -name "$target-*" | wc -l)
  if ((result != 0)); then
    status=1
    tail -40 "$log"
  fi
  summary+=("$(printf '%-20s %12s executions  %s findings  (exit %s)' "$target" "${runs:-?}" "$findings" "$result")")
done

echo
echo "fuzz summary (${seconds} s per target):"
printf '  %s\n' "${summary[@]}"
exit "$status"
