# shellcheck shell=bash
# Sourced by the sanitizer scripts: configures and builds the core with AddressSanitizer,
# UndefinedBehaviorSanitizer and the libFuzzer targets (clang) into $build, and sets the sanitizers'
# options for what runs afterwards. Expects $root.
build=${POLYVANE_SANITIZE_DIR:-$root/build-sanitize}
"$root/scripts/setup.sh"
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DPOLYVANE_CORE_ONLY=ON -DPOLYVANE_SANITIZE=ON -DPOLYVANE_BUILD_FUZZ=ON >/dev/null
cmake --build "$build" --parallel "$(nproc)"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$root/fuzz/lsan.supp:print_suppressions=0
