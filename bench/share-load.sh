#!/usr/bin/env bash
# What sharing costs: the CPU time of `vetra share` serving 4 clients against that of `vetra
# monitor` (the same receiver conversation, no sharing), on the same receiver output: the virtual
# receiver replaying an NMEA log in a loop at 115,200 baud, so the line is full (about 11.5 kB/s,
# some 150 sentences a second). The clients: two gpsd watchers of JSON (`gpspipe -w`), one of raw
# sentences (`gpspipe -r`), one reader of the NMEA address.
#
#   bench/share-load.sh [BUILD_DIR [SECONDS]]     (default: build, 30; needs BUILD_DIR/bin/vetra)
#
# Prints each program's CPU time (user + system) as a percentage of one core over the same span,
# and the difference: what sharing adds (goal: at most 1 %). CPU time, not wall time, so that a
# busy machine changes the figure little.
set -euo pipefail
export LC_ALL=C

build=${1:-build}
seconds=${2:-30}
vetra=$(cd "$build" && pwd)/bin/vetra
[[ -x $vetra ]] || { echo "no $vetra; build the 'vetra' target first" >&2; exit 2; }
command -v gpspipe >/dev/null || { echo "gpspipe missing: apt-get install gpsd-clients" >&2; exit 2; }
here=$(cd "$(dirname "$0")" && pwd)

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

python3 "$here/nmea_stream.py" --epochs 600 -o "$work/log.nmea" 2>/dev/null
"$vetra" sim --baud 115200 --replay "$work/log.nmea" --loop >"$work/sim.out" &
pids+=($!)
for _ in $(seq 100); do [[ -s $work/sim.out ]] && break; sleep 0.1; done
device=$(head -n1 "$work/sim.out")

ticks_per_second=$(getconf CLK_TCK)
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }

# CPU percentage of one core of process $1 over $seconds, after 3 s to settle.
measure() {
  sleep 3
  local start end
  start=$(cpu_ticks "$1")
  sleep "$seconds"
  end=$(cpu_ticks "$1")
  awk -v t=$((end - start)) -v hz="$ticks_per_second" -v s="$seconds" \
    'BEGIN { printf "%.2f", 100 * t / hz / s }'
}

"$vetra" monitor --port "$device" --baud 115200 >/dev/null &
monitor=$!
pids+=($monitor)
monitor_cpu=$(measure "$monitor")
kill -INT "$monitor"
wait "$monitor" || true

"$vetra" share --port "$device" --baud 115200 --listen 127.0.0.1:0 --nmea-listen 127.0.0.1:0 \
  2>"$work/share.err" &
share=$!
pids+=($share)
for _ in $(seq 100); do grep -q 'NMEA on' "$work/share.err" && break; sleep 0.1; done
gpsd_port=$(sed -n 's/.*gpsd protocol on 127\.0\.0\.1:\([0-9]*\)$/\1/p' "$work/share.err")
nmea_port=$(sed -n 's/.*NMEA on 127\.0\.0\.1:\([0-9]*\)$/\1/p' "$work/share.err")
gpspipe -w "127.0.0.1:$gpsd_port" >"$work/json1" & pids+=($!)
gpspipe -w "127.0.0.1:$gpsd_port" >"$work/json2" & pids+=($!)
gpspipe -r "127.0.0.1:$gpsd_port" >"$work/raw" & pids+=($!)
cat </dev/tcp/127.0.0.1/"$nmea_port" >"$work/nmea" & pids+=($!)
share_cpu=$(measure "$share")
clients=$(grep -c 'connected (' "$work/share.err" || true)

printf 'line: 115,200 baud, full (replayed log); %s s each; %d clients served\n' "$seconds" "$clients"
printf 'vetra monitor        %6s %% of one core\n' "$monitor_cpu"
printf 'vetra share          %6s %% of one core\n' "$share_cpu"
awk -v a="$share_cpu" -v b="$monitor_cpu" 'BEGIN { printf "sharing adds         %6.2f %% of one core (goal: at most 1 %%)\n", a - b }'
printf 'received: %s TPV, %s SKY, %s raw sentences, %s NMEA-address sentences\n' \
  "$(grep -c '"class":"TPV"' "$work/json1")" "$(grep -c '"class":"SKY"' "$work/json1")" \
  "$(grep -c '^\$' "$work/raw")" "$(grep -c '^\$' "$work/nmea")"
