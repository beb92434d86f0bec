#!/usr/bin/env bash
# A longer run of fuzz targets (off CI): each target SECONDS long on a copy of its corpus,
# niced so that other work wins. Prints each target's executions and outcome; findings are
# written to OUT (crash-*, leak-*, timeout-*, oom-*).
#   scripts/fuzz_long.sh SECONDS OUT TARGET...   (targets as in build-fuzz/fuzz/, e.g. fuzz_xml;
#   TM_FUZZ_BIN names another folder of them)
set -uo pipefail
cd "$(dirname "$0")/.."
top=$(pwd)
seconds=$1
out=$2
shift 2
mkdir -p "$out"
for name in "$@"; do
  target="${TM_FUZZ_BIN:-$top/build-fuzz/fuzz}/$name"
  work="$out/$name-corpus"
  mkdir -p "$work"
  cp -rn "$top/fuzz/corpus/${name#fuzz_}"/. "$work"/ 2>/dev/null || true
  (cd "$out" && ASAN_OPTIONS=fast_unwind_on_malloc=0 nice -n 19 "$target" \
    -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$out/$name-" "$work" >"$out/$name.log" 2>&1)
  status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$out/$name.log" | tail -n 1)
  echo "$name: ${runs:-?} executions in ${seconds}s, exit $status"
done
