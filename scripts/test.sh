#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds with warnings as errors, runs every test,
# runs them again under AddressSanitizer + UndefinedBehaviorSanitizer, and gives each fuzz
# target a short bounded run.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$(pwd)
jobs=$(nproc 2>/dev/null || echo 2)
fuzz_seconds=${TM_FUZZ_SECONDS:-20}

bash scripts/setup.sh

# Three builds of one tree (normal, sanitizer, fuzz): a compiler cache makes a second run on
# the same machine, or a clone in another folder, take minutes instead of most of an hour.
if command -v ccache >/dev/null 2>&1 && [ -z "${CMAKE_CXX_COMPILER_LAUNCHER:-}" ]; then
  export CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache
  export CCACHE_BASEDIR="$top" CCACHE_NOHASHDIR=true
fi

if [ "$(id -u)" -eq 0 ]; then export QTWEBENGINE_DISABLE_SANDBOX=1; fi
export QT_QPA_PLATFORM=offscreen

echo "== formatting"
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run -Werror

echo "== layers (includes point downwards only)"
/usr/bin/python3 scripts/check_layers.py

echo "== build (warnings are errors)"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTM_WERROR=ON
cmake --build build -j "$jobs"
echo "== tests"
ctest --test-dir build --output-on-failure -j "$jobs"

# The package is built and checked every time; installing it into a fresh Debian root
# downloads the browser engine and takes minutes, so only on request.
if [ "${TM_PACKAGE_TEST:-0}" = "1" ]; then
  bash scripts/package_test.sh
else
  bash scripts/package_test.sh --no-install
  echo "package: install test SKIPPED (set TM_PACKAGE_TEST=1 to install into a fresh Debian 12 root)"
fi

echo "== tests under ASan + UBSan"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTM_WERROR=ON -DTM_SANITIZE=ON \
  -DTM_BENCH=OFF
cmake --build build-asan -j "$jobs"
# Leaks are checked in every suite; those that start the browser engine suppress its frames.
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs" -LE no-sanitize

echo "== fuzz targets, ${fuzz_seconds}s each"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTM_FUZZ=ON -DTM_BENCH=OFF -DTM_CONTENT=OFF -DTM_TESTS=OFF
cmake --build build-fuzz -j "$jobs" --target fuzz_all
# A crash, a leak or an input over the memory limit fails the run; an input slower than the
# timeout is printed ("SUMMARY: libFuzzer: timeout", its bytes in timeout-*) but does not fail
# it: slow inputs are kept in fuzz/slow/ for the long runs to work on.
for target in build-fuzz/fuzz/fuzz_*; do
  [ -f "$target" ] && [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus="$top/fuzz/corpus/${name#fuzz_}"
  work=$(mktemp -d)
  [ -d "$corpus" ] && cp -r "$corpus"/. "$work"/
  echo "-- $name"
  # Inputs come from other people: one that takes over 5 s or 512 MB is a finding.
  ASAN_OPTIONS=fast_unwind_on_malloc=0 "$target" -max_total_time="$fuzz_seconds" -timeout=5 -timeout_exitcode=0 -rss_limit_mb=512 \
    -print_final_stats=0 "$work" 2>&1 | tail -n 3
  rm -rf "$work"
done
echo "== all checks passed"
