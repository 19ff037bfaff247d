#!/usr/bin/env bash
# Runs every libFuzzer target of the fuzz preset for SECONDS each (default 600), one after the
# other, starting from its seed corpus fuzz/corpus/<target without "fuzz_"> (pieces of the real
# captures and the virtual receiver's output, written by build-fuzz/bin/seed_writer; see
# fuzz/seed_writer.cpp). What a run adds stays in fuzz/corpus-<target>/. Findings land in
# fuzz/crash-* and become regression tests.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-600}"
[ -d build-fuzz ] || scripts/build fuzz
cmake --build build-fuzz >/dev/null
status=0
for target in build-fuzz/bin/fuzz_*; do
  name="$(basename "$target")"
  corpus="fuzz/corpus-${name#fuzz_}"
  mkdir -p "$corpus"
  seeds="fuzz/corpus/${name#fuzz_}"
  [ -d "$seeds" ] || { echo "$name: no seed corpus $seeds" >&2; exit 1; }
  echo "== $name for ${seconds}s"
  "$target" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix=fuzz/crash- \
    "$corpus" "$seeds" 2>&1 | grep -E 'stat::number_of_executed_units|Done|ERROR|SUMMARY' || status=1
done
exit $status
