#!/usr/bin/env bash
# Builds the libFuzzer harnesses with clang and runs each for SECONDS_EACH seconds (60 unless
# given), starting from its corpus in tests/fuzz/corpus/<harness>/. Inputs the fuzzer finds go to
# a scratch folder that is removed afterwards, never into the repository. Prints one line per
# harness with its number of executions; on a failure prints the harness's log and the path of
# the failing input (kept under BUILD_DIR/fuzz-failures/) and exits non-zero.
#
#   tests/fuzz/run_fuzzers.sh [SECONDS_EACH] [BUILD_DIR]
#
# BUILD_DIR defaults to build-fuzz in the repository. Needs clang++ (clang-14 or later) and the
# sanitizer runtimes (Debian: clang libclang-rt-dev, or clang-14 libclang-rt-14-dev).
set -euo pipefail

seconds=${1:-60}
case $seconds in
  '' | *[!0-9]*)
    echo "run_fuzzers: SECONDS_EACH must be a whole number of seconds, not '$seconds'" >&2
    exit 2
    ;;
esac
here=$(cd "$(dirname "$(readlink -f "$0")")" && pwd)
root=$(cd "$here/../.." && pwd)
build=${2:-$root/build-fuzz}
[[ $build == /* ]] || build=$PWD/$build

compiler=${CXX_FUZZ:-}
if [ -z "$compiler" ]; then
  for candidate in clang++ clang++-14; do
    if command -v "$candidate" >/dev/null; then
      compiler=$(command -v "$candidate")
      break
    fi
  done
fi
if [ -z "$compiler" ]; then
  echo "run_fuzzers: clang++ not found; install clang and libclang-rt-dev" >&2
  exit 2
fi

log=$(mktemp)
scratch=$(mktemp -d)
trap 'rm -rf "$log" "$scratch"' EXIT

# The fuzz preset of CMakePresets.json: only the core (with the display's decoder), the
# simulator and the harnesses, all with the sanitizers.
if ! { cmake -S "$root" -B "$build" --preset fuzz -DCMAKE_CXX_COMPILER="$compiler" &&
  cmake --build "$build" --target marvek_fuzzers -j 2; } >"$log" 2>&1; then
  cat "$log" >&2
  echo "run_fuzzers: the fuzz build failed" >&2
  exit 1
fi

failures=$build/fuzz-failures
mkdir -p "$failures"
status=0
for harness in title_line char_mode conversion encoding; do
  mkdir -p "$scratch/$harness"
  # The first folder takes new inputs; the repository's corpus is only read.
  if UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1} "$build/tests/fuzz/${harness}_fuzzer" \
    -max_total_time="$seconds" -print_final_stats=1 \
    -timeout=30 -dict="$here/titles.dict" -artifact_prefix="$failures/$harness-" \
    "$scratch/$harness" "$here/corpus/$harness" >"$log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    found=$(find "$scratch/$harness" -type f | wc -l)
    echo "fuzz: $harness: ${runs:-?} executions in ${seconds} s, $found new inputs, no failure"
  else
    status=1
    cat "$log" >&2
    echo "fuzz: $harness: FAILED; the input is in $failures/ (add it to" \
      "tests/fuzz/corpus/$harness/ once fixed)" >&2
  fi
done
exit $status
