#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build for FUZZ_SECONDS seconds each (default 300), under
# ASan and UBSan, starting from the kept corpus and freshly written seeds. Afterwards each
# target's corpus (fuzz/corpus/<target>) is minimised anew with -merge=1 over everything the
# run saw, so it keeps all coverage at the least size; every crash, leak, timeout or
# out-of-memory input stays in fuzz/regressions/<target>. Fails when a target found one.
# Usage: fuzz/run.sh [build folder, default build-fuzz]
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build-fuzz}" && pwd)
seconds=${FUZZ_SECONDS:-300}
seeds=$build/fuzz-seeds
scratch=$build/fuzz-run

python3 "$root/tools/make_fuzz_seeds.py" "$seeds" || exit 1
rm -rf "$scratch"

# A small quarantine keeps freed memory in reuse: with the default 256 MiB nearly every
# allocation of a run lands on fresh pages, and the page faults cost more than the inputs.
# 16 MiB still holds everything a single input frees.
export ASAN_OPTIONS=detect_leaks=1:quarantine_size_mb=16
export LSAN_OPTIONS=suppressions=$root/tests/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

# The longest input of each target: past the stream's 64 KiB refill for the section reader,
# room for the test suite's 127 x 64 pictures at 32 bits for the bitmaps.
max_len() {
  case $1 in
    fuzz_section_reader) echo 70000 ;;
    fuzz_bitmap) echo 36000 ;;
    *) echo 8192 ;;
  esac
}

failed=()
for source in "$root"/fuzz/fuzz_*.cpp; do
  target=$(basename "$source" .cpp)
  program=$build/fuzz/$target
  corpus=$root/fuzz/corpus/$target
  regressions=$root/fuzz/regressions/$target
  found=$scratch/$target/found
  merged=$scratch/$target/merged
  log=$scratch/$target.log
  mkdir -p "$corpus" "$regressions" "$found" "$merged"
  before=$(find "$regressions" -type f | wc -l)

  echo "== $target: $seconds s"
  "$program" -max_total_time="$seconds" -max_len="$(max_len "$target")" -timeout=10 \
    -rss_limit_mb=2048 -print_final_stats=1 -dict="$root/fuzz/$target.dict" \
    -artifact_prefix="$regressions/" "$found" "$corpus" "$seeds/$target" >"$log" 2>&1
  # The run's last status line, its final figures, and what it found.
  grep -E '^#[0-9]+[[:space:]]+(DONE|NEW|REDUCE|pulse)' "$log" | tail -n 1
  grep -E 'ERROR|SUMMARY|Test unit written' "$log"
  grep -E '^stat::(number_of_executed_units|average_exec_per_sec|new_units_added|peak_rss_mb)' "$log"

  "$program" -merge=1 -max_len="$(max_len "$target")" -timeout=10 -rss_limit_mb=2048 \
    "$merged" "$corpus" "$found" "$seeds/$target" >"$scratch/$target.merge.log" 2>&1 || {
    echo "$target: merging failed, see $scratch/$target.merge.log"
    failed+=("$target")
    continue
  }
  grep -E '^MERGE-OUTER: [0-9]+ new files' "$scratch/$target.merge.log"
  find "$corpus" -type f -delete
  cp "$merged"/* "$corpus"/
  echo "$target corpus: $(find "$corpus" -type f | wc -l) inputs, $(du -sh --apparent-size "$corpus" | cut -f1)"

  after=$(find "$regressions" -type f | wc -l)
  if [ "$after" -gt "$before" ]; then
    failed+=("$target")
  fi
done

echo "All corpora: $(du -sh --apparent-size "$root/fuzz/corpus" | cut -f1); logs in $scratch"
if [ ${#failed[@]} -gt 0 ]; then
  echo "Found inputs to fix (kept in fuzz/regressions/): ${failed[*]}" >&2
  exit 1
fi
