#!/usr/bin/env bash
# A longer hunt: builds the sanitizer build (as sanitize.sh does) and runs every fuzz target at the
# same time for SECONDS (default 600), each over its own corpus, which grows with what it finds.
#
# Findings are kept under FUZZ_FINDINGS (default out/fuzz): NAME/corpus holds the seed corpus plus the
# inputs the target found new coverage with, NAME/crash-*, leak-*, timeout-* the inputs that failed,
# NAME.log the target's output. Running again resumes from the grown corpora. Exits 1 when a target
# failed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-600}
case "$seconds" in
'' | *[!0-9]*)
    echo "usage: fuzz-long.sh [SECONDS]" >&2
    exit 2
    ;;
esac
findings=${FUZZ_FINDINGS:-$root/out/fuzz}
# shellcheck source=scripts/sanitizer-build.sh
. "$root/scripts/sanitizer-build.sh"

names=()
pids=()
for fuzzer in "$build"/fuzz/fuzz_*; do
    [ -x "$fuzzer" ] || continue
    name=$(basename "$fuzzer")
    out="$findings/$name"
    mkdir -p "$out/corpus"
    cp -rn "$root/fuzz/corpus/${name#fuzz_}"/. "$out/corpus"/ 2>/dev/null || true
    echo "fuzz-long: $name for ${seconds}s, findings in $out"
    "$fuzzer" -max_total_time="$seconds" -rss_limit_mb=2048 -artifact_prefix="$out/" -print_final_stats=1 \
        "$out/corpus" >"$out.log" 2>&1 &
    names+=("$name")
    pids+=($!)
done

status=0
for i in "${!pids[@]}"; do
    name=${names[$i]}
    log="$findings/$name.log"
    if wait "${pids[$i]}"; then
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
        rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
        echo "fuzz-long: $name ${runs:-?} inputs, ${rate:-?} a second, corpus $(find "$findings/$name/corpus" -type f | wc -l)"
    else
        echo "fuzz-long: $name FAILED, see $log and $findings/$name/"
        tail -n 40 "$log"
        status=1
    fi
done
exit "$status"
