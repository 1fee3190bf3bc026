#!/usr/bin/env bash
# Builds the core with AddressSanitizer and UndefinedBehaviorSanitizer (clang), runs the unit tests
# and then each fuzz target for FUZZ_SECONDS (default 60) over its corpus.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${FUZZ_SECONDS:-60}
# shellcheck source=scripts/sanitizer-build.sh
. "$root/scripts/sanitizer-build.sh"
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
