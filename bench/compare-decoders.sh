#!/usr/bin/env bash
# Times `vetra decode --brief` against gpsd's gpsdecode (Debian gpsd-clients) on the same stream:
# about 100 MB of a 1 Hz receiver (12 satellites; GGA, GSA, three GSV, RMC, VTG) made by
# bench/nmea_stream.py. Runs alternate between the two decoders; the best run of each counts.
# Prints MB/s (10^6 bytes per second of input) of each and the ratio.
#
#   bench/compare-decoders.sh                 # vetra from build-bench/bin (scripts/build bench)
#   VETRA=path/to/vetra RUNS=5 SIZE_MB=100 bench/compare-decoders.sh
set -euo pipefail
cd "$(dirname "$0")/.."

vetra="${VETRA:-build-bench/bin/vetra}"
runs="${RUNS:-3}"
size_mb="${SIZE_MB:-100}"
generator="${NMEA_STREAM:-bench/nmea_stream.py}"

if [ ! -x "$vetra" ]; then
  echo "compare-decoders: no vetra at '$vetra' (build it with scripts/build bench, or set VETRA)" >&2
  exit 2
fi
if ! command -v gpsdecode > /dev/null; then
  echo "compare-decoders: gpsdecode not found (Debian package gpsd-clients)" >&2
  exit 2
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
stream="$work/stream.nmea"
python3 "$generator" --size-mb "$size_mb" -o "$stream" 2> /dev/null
bytes=$(stat -c %s "$stream")

# One run, output discarded: prints its wall time and its CPU time (user + system) in seconds.
# On a shared machine the CPU time is the steadier figure.
run_times() {
  local TIMEFORMAT='%R %U %S' times
  times=$({ time "$@" < "$stream" > /dev/null 2>&1; } 2>&1)
  awk '{ printf "%.3f %.3f\n", $1, $2 + $3 }' <<< "$times"
}

# Keeps the smaller of two "wall cpu" pairs, field by field.
best_of() {
  awk -v a="$1" -v b="$2" 'BEGIN {
    split(a, x, " "); split(b, y, " ")
    if (a == "") { print b; exit }
    printf "%.3f %.3f\n", (x[1] < y[1] ? x[1] : y[1]), (x[2] < y[2] ? x[2] : y[2])
  }'
}

best_vetra=""
best_gpsd=""
for ((i = 1; i <= runs; i++)); do
  best_vetra=$(best_of "$best_vetra" "$(run_times "$vetra" decode --brief -)")
  best_gpsd=$(best_of "$best_gpsd" "$(run_times gpsdecode)")
done

awk -v bytes="$bytes" -v v="$best_vetra" -v g="$best_gpsd" -v runs="$runs" 'BEGIN {
  split(v, vt, " "); split(g, gt, " ")
  mb = bytes / 1e6
  printf "input: %.1f MB; best of %d alternating runs each; MB/s by wall time and by CPU time\n", mb, runs
  printf "%-22s %9s %9s\n", "", "wall", "cpu"
  printf "%-22s %9.1f %9.1f   (%.2f s, %.2f s)\n", "vetra decode --brief", mb / vt[1], mb / vt[2], vt[1], vt[2]
  printf "%-22s %9.1f %9.1f   (%.2f s, %.2f s)\n", "gpsdecode", mb / gt[1], mb / gt[2], gt[1], gt[2]
  printf "%-22s %9.1f %9.1f\n", "ratio", gt[1] / vt[1], gt[2] / vt[2]
}'
