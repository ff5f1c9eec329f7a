#!/usr/bin/env bash
# Runs the fuzz targets that `make fuzz` builds, each for SECONDS (default 60) on a copy of its seed corpus
# in fuzz/corpus/, so that what the fuzzer adds stays out of the repository, and prints the executions of
# each target. Usage: tools/fuzz.sh [SECONDS] [TARGET...]  (targets: project_file wire_catalog
# trans_catalog dos_file_set; all by default). A finding stops the run with its log and the input that
# caused it kept in the work folder; without findings the work folder is removed.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
shift $(( $# > 0 ? 1 : 0 ))
targets=("$@")
[[ ${#targets[@]} -gt 0 ]] || targets=(project_file wire_catalog trans_catalog dos_file_set)
build=${K10_FUZZ_BUILD:-$here/build-fuzz}
work=$(mktemp -d "${TMPDIR:-/tmp}/k10-fuzz.XXXXXX")

for target in "${targets[@]}"; do
  binary=$build/fuzz/fuzz_$target
  [[ -x $binary ]] || { echo "$binary is missing: run make fuzz first" >&2; exit 2; }
  mkdir -p "$work/$target/corpus" "$work/$target/findings"
  cp "$here/fuzz/corpus/$target/"* "$work/$target/corpus/"
  log=$work/$target/log
  # A run longer than 10 s on one input is a hang; 2 GB of memory is far past anything a reader needs.
  if ! "$binary" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=16384 \
       -print_final_stats=1 -artifact_prefix="$work/$target/findings/" "$work/$target/corpus" >"$log" 2>&1; then
    echo "fuzz_$target: a finding; the log is $log, the input that caused it is in $work/$target/findings/" >&2
    grep -A 30 -E '^==[0-9]+==ERROR|runtime error|broken:|deadly signal|Timeout|out-of-memory' "$log" | head -n 60 >&2 || true
    exit 1
  fi
  executions=$(awk '/stat::number_of_executed_units/ {print $2}' "$log")
  printf 'fuzz_%-14s %12s executions in %s s\n' "$target" "$executions" "$seconds"
done
rm -rf "$work"
