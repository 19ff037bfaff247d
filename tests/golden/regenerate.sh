#!/usr/bin/env bash
# Rewrites the golden decode transcripts from the current decoder. Regenerating is a deliberate
# act: run it only when a change of the decoded output is intended, look at the diff, and say in
# the commit message why the transcripts changed.
#
#   tests/golden/regenerate.sh [path/to/vetra]      (default: build/bin/vetra)
set -euo pipefail
cd "$(dirname "$0")/../.."
vetra="${1:-build/bin/vetra}"
captures="tests/data/nmea-real"

"$vetra" decode "$captures/geos-1m.log" > tests/golden/geos-1m.jsonl
"$vetra" decode "$captures/gp-320fw-2019-04-07-coldboot.log" \
  > tests/golden/gp-320fw-2019-04-07-coldboot.jsonl
"$vetra" decode --run-bytes 64 "$captures/hemi.log" > tests/golden/hemi.run-bytes-64.jsonl
git diff --stat -- tests/golden
