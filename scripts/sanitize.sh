#!/usr/bin/env bash
# Builds the core with AddressSanitizer and UndefinedBehaviorSanitizer (clang), runs the unit tests
# and then each fuzz target for FUZZ_SECONDS (default 60) over its corpus.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${POLYVANE_SANITIZE_DIR:-$root/build-sanitize}
seconds=${FUZZ_SECONDS:-60}
"$root/scripts/setup.sh"
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DPOLYVANE_CORE_ONLY=ON -DPOLYVANE_SANITIZE=ON -DPOLYVANE_BUILD_FUZZ=ON >/dev/null
cmake --build "$build" --parallel "$(nproc)"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$root/fuzz/lsan.supp:print_suppressions=0
(cd "$build" && ctest --output-on-failure --label-regex unit --parallel "$(nproc)")
status=0
for fuzzer in "$build"/fuzz/fuzz_*; do
    [ -x "$fuzzer" ] || continue
    name=$(basename "$fuzzer")
    corpus_src="$root/fuzz/corpus/${name#fuzz_}"
    work=$(mktemp -d)
    cp -r "$corpus_src"/. "$work"/ 2>/dev/null || true
    echo "fuzz: $name for ${seconds}s"
    log="$work.log"
    if ! "$fuzzer" -max_total_time="$seconds" -rss_limit_mb=2048 -artifact_prefix="$work/" -print_final_stats=1 "$work" >"$log" 2>&1; then
        echo "fuzz: $name FAILED"
        tail -n 60 "$log"
        status=1
    else
        grep -E "^(#[0-9]+[[:space:]]+DONE|stat::number_of_executed_units)" "$log" || true
    fi
    rm -rf "$work" "$log"
done
[ "$status" -eq 0 ] || exit 1
echo "sanitize: all passed"
