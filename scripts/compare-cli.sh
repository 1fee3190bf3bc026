#!/usr/bin/env bash
# Runs polyvane-cli's commands over the samples and the real files in POLYVANE_REALDATA_DIR with two
# builds of the program and compares every output byte for byte: standard output and error, exit code
# and each file written. Usage: compare-cli.sh OLD-CLI NEW-CLI [WORKDIR]
set -uo pipefail
old=$(realpath "$1")
new=$(realpath "$2")
for cli in "$old" "$new"; do
    [ -x "$cli" ] || { echo "compare-cli: no program at $cli" >&2; exit 2; }
done
work=${3:-$(mktemp -d)}
root=$(cd "$(dirname "$0")/.." && pwd)
real=${POLYVANE_REALDATA_DIR:-/work/shared/realdata}

run_all() { # CLI OUTDIR
    local cli=$1 out=$2 n=0
    rm -rf "$out" && mkdir -p "$out"
    run() { # NAME ARGS... (the literal OUT in ARGS becomes a file under the output folder)
        local name=$1
        shift
        local args=()
        for a in "$@"; do args+=("${a//@OUT@/$out/$name}"); done
        (cd "$out" && "$cli" "${args[@]}" >"$name.stdout" 2>"$name.stderr"; echo $? >"$name.rc")
    }
    local models=("$root/samples/cube.tmd")
    for f in $(find "$real" -type f \( -name '*.glb' -o -name '*.gltf' -o -name '*.obj' -o -name '*.fbx' \
        -o -name '*.dae' -o -name '*.ply' -o -name '*.stl' \) | sort); do
        n=$((n + 1))
        run "import$n" import "$f" "@OUT@.tmd" --tim-out "@OUT@.tim"
        [ -f "$out/import$n.tmd" ] && models+=("$out/import$n.tmd")
    done
    for f in $(find "$real" -type f -name '*.lwo' | sort); do models+=("$f"); done
    n=0
    for m in "${models[@]}"; do
        n=$((n + 1))
        local tims=()
        [ "$m" = "$root/samples/cube.tmd" ] && tims=(--tim "$root/samples/cube.tim")
        [ -f "${m%.tmd}.tim" ] && tims=(--tim "${m%.tmd}.tim")
        run "info$n" info "$m"
        run "dump$n" dump "$m"
        run "dumpdo$n" dump "$m" --do next-prim --do copy --do next-object --do paste --do flip-x \
            --do swap-xz --do undo --do undo --do redo --do prev-prim
        for mode in wireframe solid textured table vram blank; do
            run "render$n-$mode" render "$m" "@OUT@.png" --mode "$mode" --size 320x240 --angles 0.4,0.7,0.1 \
                --trace --dump-json "@OUT@.json" "${tims[@]}" --do next-prim
        done
        run "convert$n" convert "$m" "@OUT@.tmd" --do flip-y
        for ext in glb gltf obj; do run "export$n-$ext" export "$m" "@OUT@.$ext" "${tims[@]}"; done
    done
    n=0
    for t in "$root/samples/cube.tim" $(find "$real" -type f -name '*.tim' | sort); do
        n=$((n + 1))
        run "tim$n" tim "$t" --png "@OUT@.png"
    done
}

run_all "$old" "$work/old"
run_all "$new" "$work/new"
# Paths inside outputs name the output folder: compare with it written alike.
for d in old new; do
    find "$work/$d" -type f \( -name '*.stdout' -o -name '*.stderr' -o -name '*.json' -o -name '*.gltf' \
        -o -name '*.obj' -o -name '*.mtl' \) -exec sed -i "s#$work/$d#WORK#g" {} +
done
if diff -r "$work/old" "$work/new" >"$work/diff.txt"; then
    echo "identical: $(find "$work/old" -type f | wc -l) files"
else
    echo "DIFFERENT (see $work/diff.txt)"
    head -20 "$work/diff.txt"
    exit 1
fi
