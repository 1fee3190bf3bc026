#!/usr/bin/env bash
# The whole-process figure beside bench_scan: `polyvane-cli scan FILE` against `cat FILE > /dev/null`,
# run in turn on the same warm file, medians of RUNS (default 7) wall-clock times. The inputs are the
# ones bench_scan generates (run it first); give another folder as the first argument.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-${TMPDIR:-/tmp}/polyvane-bench-scan}
cli=${POLYVANE_CLI:-$root/build/src/polyvane-cli}
runs=${RUNS:-7}
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
seconds() { local start end; start=$(date +%s.%N); "$@" >/dev/null 2>&1; end=$(date +%s.%N); echo "$end - $start" | bc; }
for file in plain.bin image.iso image.bin; do
    path=$dir/$file
    [ -f "$path" ] || { echo "missing $path: run build/bench/bench_scan first"; exit 1; }
    cat "$path" >/dev/null
    cats=() scans=()
    for ((i = 0; i < runs; i++)); do
        cats+=("$(seconds cat "$path")")
        scans+=("$(seconds "$cli" scan "$path")")
    done
    c=$(printf '%s\n' "${cats[@]}" | median)
    s=$(printf '%s\n' "${scans[@]}" | median)
    printf '%-10s cat %.3f s  scan %.3f s  ratio %.2f\n' "$file" "$c" "$s" "$(echo "$s / $c" | bc -l)"
done
