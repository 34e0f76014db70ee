#!/usr/bin/env bash
# Configures the tree with the program off and the tests on: the libraries and the tests that use
# them are there; the program, and the tests that start it or package it, are not.
#   without_app_test.sh SOURCE_DIR BUILD_DIR GENERATOR COMPILER
set -euo pipefail
source=$1 build=$2 generator=$3 compiler=$4

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

rm -rf "$build"
cmake -S "$source" -B "$build" -G "$generator" -DCMAKE_CXX_COMPILER="$compiler" \
    -DONDORIA_BUILD_APP=OFF -DONDORIA_BUILD_TESTS=ON -DONDORIA_BUILD_BENCH=OFF \
    >"$build.log" 2>&1 || fail "configure: $(cat "$build.log")"

# CMake makes a folder for each target it configures.
[ -d "$build/app/CMakeFiles/ondoria_app.dir" ] || fail "the application library is left out"
[ ! -d "$build/app/CMakeFiles/ondoria.dir" ] || fail "the program is configured"

tests=$(ctest --test-dir "$build" -N)
for test in embedded_core window_test soak_test; do
    grep -qw "$test" <<<"$tests" || fail "$test is left out"
done
for test in e2e_test error_box_test deb_test icon_test; do
    ! grep -qw "$test" <<<"$tests" || fail "$test is configured, without the program"
done
echo PASS
