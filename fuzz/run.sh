#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time on a copy of its seed
# corpus. Fails when a target crashes, leaks, trips a sanitizer, times out on an input, or does
# not run at all.
#
#   fuzz/run.sh                      every target, FUZZ_SECONDS each (default 60)
#   FUZZ_SECONDS=15 fuzz/run.sh      shorter runs (CI)
#   fuzz/run.sh fuzz_xml_parse       only the targets named
#
# Environment: FUZZ_SECONDS, FUZZ_BUILD (build folder, default build-fuzz), JOBS (build jobs).
# Findings (crash-*, leak-*, timeout-*, oom-* files) are kept in <build>/fuzz/findings/<target>/.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${FUZZ_SECONDS:-60}"
build="${FUZZ_BUILD:-build-fuzz}"
jobs="${JOBS:-$(nproc)}"

if ! command -v clang++ >/dev/null 2>&1; then
  echo "fuzz: clang++ is needed (apt-get install clang libclang-rt-dev)" >&2
  exit 1
fi

generator=()
command -v ninja >/dev/null 2>&1 && generator=(-G Ninja)
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" "${generator[@]}" \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBRINDLE_SANITIZE=ON \
    -DBRINDLE_BUILD_FUZZ=ON -DBRINDLE_BUILD_TESTS=OFF -DBRINDLE_BUILD_BENCH=OFF
else
  cmake -S . -B "$build" >/dev/null
fi
cmake --build "$build" --target fuzz_targets -j "$jobs"

mapfile -t available < <(grep -v '^$' "$build/fuzz/targets.txt" || true)
if [ "$#" -gt 0 ]; then targets=("$@"); else targets=("${available[@]}"); fi
if [ "${#targets[@]}" -eq 0 ]; then
  echo "fuzz: no targets were built" >&2
  exit 1
fi

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:allocator_may_return_null=1${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"
export LD_LIBRARY_PATH="$PWD/$build/lib${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
passed=0
failed=0
for target in "${targets[@]}"; do
  binary="$build/fuzz/$target"
  if [ ! -x "$binary" ]; then
    echo "fuzz: $target was not built" >&2
    failed=$((failed + 1))
    continue
  fi
  corpus="$work/$target"
  findings="$build/fuzz/findings/$target"
  mkdir -p "$corpus" "$findings"
  [ -d "fuzz/corpus/$target" ] && cp -R "fuzz/corpus/$target/." "$corpus/"
  log="$build/fuzz/$target.log"
  echo "== $target: ${seconds}s"
  status=0
  "$binary" "$corpus" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$findings/" >"$log" 2>&1 || status=$?
  runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)"
  if [ "$status" -ne 0 ] || grep -qE 'ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer)|runtime error:|SUMMARY: UndefinedBehaviorSanitizer' "$log"; then
    echo "FAILED $target (exit $status); last lines of $log:" >&2
    tail -40 "$log" >&2
    ls "$findings" >&2 || true
    failed=$((failed + 1))
  else
    echo "   $target: ${runs:-?} executions, clean"
    passed=$((passed + 1))
  fi
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
