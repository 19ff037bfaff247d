#!/usr/bin/env bash
# Firmware load time against the wire: `vetra load` writes a 512 KiB image into the virtual
# receiver (`vetra sim`), whose line carries 115,200 baud (10 bits a byte) like a real one, once
# through the boot monitor and once through the running firmware.
#
#   bench/load-time.sh [BUILD_DIR]        (default: build; needs BUILD_DIR/bin/vetra)
#
# Per path it prints:
#   total     from starting `vetra load` until the receiver has the whole image in flash
#             (the port opening, the monitor program, the erase, the receiver's own pauses)
#   transfer  from the loader's first "Sending" state until the image is in flash
#   wire      524,288 bytes x 10 bits / 115,200 baud = 45.51 s, the least any transfer can take
# and the transfer's overhead over the wire time (goal: within 3 %).
#
# The end is the receiver's "flash written" line, not the loader's verdict: the loader writes into
# the terminal's buffer and may finish the last kilobytes before they have crossed the line, and
# it holds "Program OK!" a second before it prints "PASS!".
set -euo pipefail
export LC_ALL=C

build=${1:-build}
vetra=$(cd "$build" && pwd)/bin/vetra
[[ -x $vetra ]] || { echo "no $vetra; build the 'vetra' target first" >&2; exit 2; }

work=$(mktemp -d)
sim_pid=
cleanup() {
  [[ -n $sim_pid ]] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

image_bytes=524288
monitor_bytes=30720
head -c "$image_bytes" /dev/urandom >"$work/image.bin"
head -c "$monitor_bytes" /dev/urandom >"$work/mpd.srec"  # the boot monitor, sent byte for byte

# Prefixes every line with the wall-clock time it arrived.
stamp() { while IFS= read -r line; do printf '%s %s\n' "$EPOCHREALTIME" "$line"; done; }

# Waits until file holds a line matching pattern; false after seconds.
wait_for_line() {
  local file=$1 pattern=$2 seconds=$3 start=$SECONDS
  until grep -q -- "$pattern" "$file" 2>/dev/null; do
    ((SECONDS - start < seconds)) || return 1
    sleep 0.05
  done
}

# load NAME SIM_ARGS... -- LOAD_ARGS...
load() {
  local name=$1
  shift
  local sim_args=() load_args=()
  while [[ $1 != -- ]]; do sim_args+=("$1"); shift; done
  shift
  load_args=("$@")

  : >"$work/sim.out"
  "$vetra" sim "${sim_args[@]}" >"$work/sim.out" 2> >(stamp >"$work/sim.log") &
  sim_pid=$!
  wait_for_line "$work/sim.out" / 5 || { echo "$name: vetra sim printed no device" >&2; return 1; }
  local device
  device=$(head -n 1 "$work/sim.out")

  local start=$EPOCHREALTIME status=0
  (cd "$work" && "$vetra" load --port "$device" "${load_args[@]}" image.bin 2>&1) |
    stamp >"$work/load.log" || status=$?
  if ! wait_for_line "$work/sim.log" "flash written: $image_bytes" 10; then
    echo "$name: the receiver never held the image (vetra load said:)" >&2
    sed 's/^/  /' "$work/load.log" >&2
    return 1
  fi
  kill "$sim_pid"
  wait "$sim_pid" 2>/dev/null || true
  sim_pid=

  local sending flashed verdict
  sending=$(grep -m1 ' Sending' "$work/load.log" | cut -d' ' -f1)
  flashed=$(grep -m1 'flash written' "$work/sim.log" | cut -d' ' -f1)
  verdict=$(tail -n 1 "$work/load.log" | cut -d' ' -f2-)
  awk -v name="$name" -v start="$start" -v sending="$sending" -v flashed="$flashed" \
      -v bytes="$image_bytes" -v verdict="$verdict" -v status="$status" 'BEGIN {
    wire = bytes * 10 / 115200
    total = flashed - start
    transfer = flashed - sending
    printf "%-16s total %6.2f s   transfer %6.2f s   wire %6.2f s   overhead %+5.2f %%   %s (exit %d)\n",
           name, total, transfer, wire, (transfer - wire) / wire * 100, verdict, status
  }'
}

echo "512 KiB image, line paced at 115,200 baud ($(nproc) cores, load average $(cut -d' ' -f1 /proc/loadavg))"
load "boot monitor" --boot-monitor -- --pmon k700
load "running firmware" --baud 9600 -- --baud 9600
