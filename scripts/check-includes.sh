#!/usr/bin/env bash
# Fails when a folder of src/ includes from a layer above its own, or when the folders' includes form a
# cycle. Only `#include "folder/..."` lines name another folder; a bare name is the folder's own file.
set -euo pipefail
root=$(cd "${1:-$(dirname "$0")/..}" && pwd)
# The layers, bottom first; folders on one line share a layer.
layers=(
    "platform"
    "formats gpu"
    "model gamedata"
    "texture view"
    "dialogs"
    "cli app exchange"
)
declare -A rank
for i in "${!layers[@]}"; do
    for folder in ${layers[$i]}; do rank[$folder]=$i; done
done

status=0
edges=$(mktemp)
trap 'rm -f "$edges"' EXIT
while IFS= read -r file; do
    from=${file#"$root"/src/}
    from=${from%%/*}
    [ -n "${rank[$from]:-}" ] || { echo "check-includes: $file: folder $from has no layer"; status=1; continue; }
    while IFS= read -r target; do
        to=${target%%/*}
        [ -n "${rank[$to]:-}" ] || continue
        [ "$to" = "$from" ] && continue
        echo "$from $to" >>"$edges"
        if [ "${rank[$to]}" -gt "${rank[$from]}" ]; then
            echo "check-includes: ${file#"$root"/}: $from includes $target from a layer above"
            status=1
        fi
    done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\/[^"]*\)".*/\1/p' "$file")
done < <(find "$root/src" -name '*.h' -o -name '*.cpp' | sort)

if ! sort -u "$edges" | tsort >/dev/null 2>"$edges.err"; then
    echo "check-includes: the folders include each other in a circle:"
    cat "$edges.err"
    status=1
fi
rm -f "$edges.err"
[ "$status" -eq 0 ] && echo "includes: every folder includes only from its own layer or below"
exit "$status"
