#!/usr/bin/env bash
# Runs every test layer from a fresh clone or an existing tree:
#   1. native unit tests (gcc, optimised), the format check and clang-tidy over
#      the native build's sources (.clang-tidy; any finding counts as one failure),
#   2. the same tests under ASan+UBSan (clang) with a short libFuzzer run per target,
#   3. the cross-built tests under Wine (unit tests of the core, language libraries,
#      the program's windows in-process, and end-to-end runs of Pagewick.exe).
# Ends with one summary line over all layers; exits non-zero when anything failed.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/setup.sh || { echo "setup failed"; echo "total: 0 passed, 1 failed"; exit 1; }
source scripts/wine-env.sh
mkdir -p build/logs

passed=0
failed=0
broken=()

# run_layer PRESET: configure, build and test one preset; adds its counts.
run_layer() {
    local preset=$1
    echo "== $preset: configure and build"
    if ! cmake --preset "$preset" >"build/logs/$preset-configure.log" 2>&1; then
        tail -30 "build/logs/$preset-configure.log"
        broken+=("$preset (configure)")
        failed=$((failed + 1))
        return 1
    fi
    if ! cmake --build --preset "$preset" -j2 >"build/logs/$preset-build.log" 2>&1; then
        grep -E -A5 'error|FAILED' "build/logs/$preset-build.log" | head -60
        broken+=("$preset (build)")
        failed=$((failed + 1))
        return 1
    fi
    echo "== $preset: test"
    ctest --preset "$preset" 2>&1 | tee "build/logs/$preset-test.log" | grep -v -E '^ +Start |Test +#[0-9]+: .* Passed'
    local line
    line=$(grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "build/logs/$preset-test.log" | tail -1)
    if [ -z "$line" ]; then
        broken+=("$preset (no test summary)")
        failed=$((failed + 1))
        return
    fi
    local nfail total
    nfail=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
    total=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\2/' <<<"$line")
    passed=$((passed + total - nfail))
    failed=$((failed + nfail))
    [ "$nfail" = 0 ] || broken+=("$preset ($nfail failed)")
}

# run_tidy: clang-tidy (.clang-tidy) over every source of ours in the native
# build's compile commands; the third-party sources listed there are left out.
# One failure when it reports anything, checks no file, or cannot run. Those
# commands are gcc's, whose -Wconversion leaves sign changes alone; clang's does
# not, so its sign-conversion warning is turned off here (the native-asan build
# compiles the product and test sources with clang and keeps it there).
run_tidy() {
    echo "== native: clang-tidy"
    local tidy src log=build/logs/native-tidy.log start=$SECONDS
    tidy=$(command -v run-clang-tidy-14 || command -v run-clang-tidy || true)
    src=$(sed -n 's/^CMAKE_HOME_DIRECTORY:INTERNAL=//p' build/native/CMakeCache.txt)
    if [ -z "$tidy" ] || [ -z "$src" ]; then
        broken+=("clang-tidy (cannot run)")
        failed=$((failed + 1))
        return
    fi
    local sources="^$src/(app|archive|bench|decode|fuzz|platform|settings|tests|tools|view)/"
    "$tidy" -p build/native -j2 -quiet -extra-arg=-Wno-sign-conversion "$sources" 2>&1 | sed 's/\x1b\[[0-9;]*m//g' >"$log"
    local status=$? checked
    checked=$(grep -c -- '-p=build/native' "$log")
    if [ "$status" = 0 ] && [ "$checked" -gt 0 ] && ! grep -qE '(warning|error): ' "$log"; then
        passed=$((passed + 1))
        echo "clang-tidy: $checked files, no findings ($((SECONDS - start)) s)"
    else
        grep -E -A3 '(warning|error): ' "$log" | head -60
        broken+=("clang-tidy")
        failed=$((failed + 1))
        echo "clang-tidy: $checked files, findings or errors in $log ($((SECONDS - start)) s)"
    fi
}

run_layer native && run_tidy
run_layer native-asan
pw_wine_up || { broken+=("wine (start)"); failed=$((failed + 1)); }
run_layer win64
pw_wine_down

echo
if [ ${#broken[@]} -gt 0 ]; then
    echo "failing: ${broken[*]}"
fi
echo "total: $passed passed, $failed failed"
[ "$failed" = 0 ]
