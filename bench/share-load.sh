#!/usr/bin/env bash
# What sharing costs: the CPU time of `vetra share` serving 4 clients against that of `vetra
# monitor` (the same receiver conversation, no sharing) and of real gpsd serving 4 clients, on the
# same receiver output: the virtual receiver replaying an NMEA log in a loop at 115,200 baud, so
# the line is full (about 11.5 kB/s, some 150 sentences a second). The clients: two gpsd watchers
# of JSON (`gpspipe -w`), one of raw sentences (`gpspipe -r`), and one reader of the NMEA address
# (for gpsd, which has none, a second `gpspipe -r`).
#
#   bench/share-load.sh [BUILD_DIR [SECONDS]]     (default: build, 30; needs BUILD_DIR/bin/vetra)
#
# Needs gpspipe (gpsd-clients) and gpsd (Debian package gpsd; the bench runs its own on a free
# port, read-only, on a second virtual receiver replaying the same log).
#
# Prints each program's CPU time (user + system) as a percentage of one core over the same span,
# and the difference: what sharing adds (goal: at most 1 %). CPU time, not wall time, so that a
# busy machine changes the figure little. Then TPVs per epoch for both servers: TPVs a JSON watcher
# got, over the epochs (changes of time in GGA and RMC) that the raw watcher got (goal: 1.00).
set -euo pipefail
export LC_ALL=C

build=${1:-build}
seconds=${2:-30}
vetra=$(cd "$build" && pwd)/bin/vetra
[[ -x $vetra ]] || { echo "no $vetra; build the 'vetra' target first" >&2; exit 2; }
command -v gpspipe >/dev/null || { echo "gpspipe missing: apt-get install gpsd-clients" >&2; exit 2; }
gpsd=$(command -v gpsd || echo /usr/sbin/gpsd)
[[ -x $gpsd ]] || { echo "gpsd missing: apt-get install gpsd" >&2; exit 2; }
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
# The same replay on a second device, for gpsd.
"$vetra" sim --baud 115200 --replay "$work/log.nmea" --loop >"$work/sim2.out" 2>/dev/null &
pids+=($!)
for _ in $(seq 100); do [[ -s $work/sim2.out ]] && break; sleep 0.1; done
device2=$(head -n1 "$work/sim2.out")

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
  --verbose 2>"$work/share.err" &
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
clients=${clients:-0}
kill -INT "$share"
kill "${pids[@]: -4}" 2>/dev/null || true

gpsd_port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
"$gpsd" -N -n -b -s 115200 -S "$gpsd_port" "$device2" 2>"$work/gpsd.err" &
gpsd_pid=$!
pids+=($gpsd_pid)
for _ in $(seq 100); do (echo >/dev/tcp/127.0.0.1/"$gpsd_port") 2>/dev/null && break; sleep 0.1; done
gpspipe -w "127.0.0.1:$gpsd_port" >"$work/gjson1" & pids+=($!)
gpspipe -w "127.0.0.1:$gpsd_port" >"$work/gjson2" & pids+=($!)
gpspipe -r "127.0.0.1:$gpsd_port" >"$work/graw" & pids+=($!)
gpspipe -r "127.0.0.1:$gpsd_port" >"$work/graw2" & pids+=($!)
gpsd_cpu=$(measure "$gpsd_pid")

# TPVs a JSON watcher got per epoch the raw watcher saw: each change of time from one GGA or RMC
# to the next begins an epoch (the log loops, so its times come again).
tpvs_per_epoch() {
  local tpvs epochs
  tpvs=$(grep -c '"class":"TPV"' "$1" || true)
  epochs=$(grep -E '^\$..(GGA|RMC),' "$2" | cut -d, -f2 | uniq | wc -l)
  awk -v t="${tpvs:-0}" -v e="$epochs" \
    'BEGIN { printf "%.2f (%d TPVs, %d epochs)", (e ? t / e : 0), t, e }'
}

printf 'line: 115,200 baud, full (replayed log); %s s each; %d clients served\n' "$seconds" "$clients"
printf 'vetra monitor        %6s %% of one core\n' "$monitor_cpu"
printf 'vetra share          %6s %% of one core\n' "$share_cpu"
printf 'gpsd                 %6s %% of one core (same stream, 4 clients)\n' "$gpsd_cpu"
awk -v a="$share_cpu" -v b="$monitor_cpu" 'BEGIN { printf "sharing adds         %6.2f %% of one core (goal: at most 1 %%)\n", a - b }'
printf 'TPVs per epoch: vetra share %s; gpsd %s\n' \
  "$(tpvs_per_epoch "$work/json1" "$work/raw")" "$(tpvs_per_epoch "$work/gjson1" "$work/graw")"
printf 'received from vetra share: %s TPV, %s SKY, %s raw sentences, %s NMEA-address sentences\n' \
  "$(grep -c '"class":"TPV"' "$work/json1")" "$(grep -c '"class":"SKY"' "$work/json1")" \
  "$(grep -c '^\$' "$work/raw")" "$(grep -c '^\$' "$work/nmea")"
