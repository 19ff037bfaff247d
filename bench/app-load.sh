#!/usr/bin/env bash
# What the desktop program costs and how quickly it shows what the receiver says, with the
# built-in virtual receiver (`vetra-viewer --simulate`) on a virtual X display (xvfb-run).
#
#   bench/app-load.sh [BUILD_DIR]       (default: build; needs BUILD_DIR/bin/vetra-viewer)
#
# Environment: VIEW_SECONDS (60) and IDLE_SECONDS (30) measured after WARMUP_SECONDS (5).
#
# Two runs, each a fresh program with a fresh settings file:
#   1. View page, the receiver sending binary navigation frames at 115,200 baud, VIEW_SECONDS;
#   2. Setup page (no port open, the receiver talking to nobody), IDLE_SECONDS.
# It prints
#   - the CPU share of one core (utime + stime from /proc/PID/stat), of the whole process and of
#     the program alone: without the virtual receiver's thread ("VirtualRx"), which a user with a
#     real receiver does not run;
#   - the peak resident memory (VmHWM) of the View run;
#   - the time from starting the program to its first drawn window;
#   - the delay from the last byte of each of the receiver's epochs on the line to the next
#     position update of the View page (the monitoring task polls every 100 ms).
# The last two come from the program's latency trace (VETRA_LATENCY_TRACE, util/latency_trace.h).
set -euo pipefail
export LC_ALL=C

if [[ -z ${VETRA_APP_LOAD_IN_XVFB:-} ]]; then
  exec xvfb-run -a -s "-screen 0 1600x1200x24" env VETRA_APP_LOAD_IN_XVFB=1 "$0" "$@"
fi

build=${1:-build}
viewer=$(cd "$build" && pwd)/bin/vetra-viewer
[[ -x $viewer ]] || { echo "no $viewer; build the 'vetra-viewer' target first" >&2; exit 2; }
view_seconds=${VIEW_SECONDS:-60}
idle_seconds=${IDLE_SECONDS:-30}
warmup_seconds=${WARMUP_SECONDS:-5}
hz=$(getconf CLK_TCK)

work=$(mktemp -d)
pid=
cleanup() {
  [[ -n $pid ]] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
export XDG_RUNTIME_DIR=$work

# "TOTAL RECEIVER" CPU ticks of the process: all threads, and the virtual receiver's thread.
ticks() {
  local total receiver=0 t line rest
  line=$(<"/proc/$1/stat")
  rest=${line##*) }  # fields from the third on (the name may hold spaces)
  total=$(awk '{ print $12 + $13 }' <<<"$rest")
  for t in /proc/"$1"/task/*; do
    [[ $(<"$t/comm") == VirtualRx ]] || continue
    line=$(<"$t/stat")
    rest=${line##*) }
    receiver=$((receiver + $(awk '{ print $12 + $13 }' <<<"$rest")))
  done
  echo "$total $receiver"
}

wait_for_mark() {  # FILE NAME SECONDS: the time of the first NAME line in the trace
  local start=$SECONDS
  until grep -q "^$2 " "$1" 2>/dev/null; do
    ((SECONDS - start < $3)) || return 1
    sleep 0.05
  done
  grep -m1 "^$2 " "$1" | cut -d' ' -f2
}

# run NAME SECONDS VIEWER_ARGS...: sets started, drawn, cpu_total, cpu_program, hwm_kb, from, to
run() {
  local name=$1 seconds=$2
  shift 2
  trace=$work/$name.trace
  : >"$trace"
  started=$EPOCHREALTIME
  VETRA_LATENCY_TRACE=$trace "$viewer" --settings "$work/$name.ini" "$@" >"$work/$name.log" 2>&1 &
  pid=$!
  drawn=$(wait_for_mark "$trace" drawn 20) || { echo "$name: no window drawn" >&2; exit 1; }
  sleep "$warmup_seconds"
  local before after
  before=($(ticks "$pid"))
  from=$EPOCHREALTIME
  sleep "$seconds"
  after=($(ticks "$pid"))
  to=$EPOCHREALTIME
  hwm_kb=$(awk '/^VmHWM:/ { print $2 }' "/proc/$pid/status")
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  pid=
  read -r cpu_total cpu_program < <(awk -v t0="${before[0]}" -v r0="${before[1]}" \
      -v t1="${after[0]}" -v r1="${after[1]}" -v hz="$hz" -v s="$(awk -v a="$from" -v b="$to" 'BEGIN { print b - a }')" \
      'BEGIN { printf "%.2f %.2f\n", (t1 - t0) / hz / s * 100, ((t1 - t0) - (r1 - r0)) / hz / s * 100 }')
}

echo "vetra-viewer --simulate ($(nproc) cores, load average $(cut -d' ' -f1 /proc/loadavg) at start)"

run view "$view_seconds" --simulate --sim-baud 115200 --sim-binary --page view
view_cpu=$cpu_total view_program=$cpu_program view_hwm=$hwm_kb
view_start=$(awk -v a="$started" -v b="$drawn" 'BEGIN { print b - a }')
latency=$(awk -v from="$from" -v to="$to" '
  $2 < from || $2 > to { next }
  $1 == "sent" { pending[n++] = $2 }
  $1 == "view" { for (i = 0; i < n; i++) d[m++] = ($2 - pending[i]) * 1000; n = 0 }
  END {
    if (m == 0) { print "no position updates seen"; exit }
    for (i = 0; i < m; i++) for (j = i + 1; j < m; j++) if (d[j] < d[i]) { x = d[i]; d[i] = d[j]; d[j] = x }
    printf "median %.0f ms, 90th percentile %.0f ms, max %.0f ms over %d epochs", d[int((m - 1) / 2)], d[int((m - 1) * 0.9)], d[m - 1], m
  }' "$trace")

run setup "$idle_seconds" --simulate --page setup
setup_start=$(awk -v a="$started" -v b="$drawn" 'BEGIN { print b - a }')

printf '  %-36s %6.2f %% of one core (goal < 3 %%); program alone %.2f %%\n' \
  "CPU, View page, binary at 115200:" "$view_cpu" "$view_program"
printf '  %-36s %6.2f %% of one core (goal < 0.5 %%); program alone %.2f %%\n' \
  "CPU, idle on the Setup page:" "$cpu_total" "$cpu_program"
printf '  %-36s %6.1f MiB (goal < 80 MB)\n' "peak resident memory (View):" "$(awk -v k="$view_hwm" 'BEGIN { print k / 1024 }')"
printf '  %-36s %6.3f s on the View page, %.3f s on the Setup page (goal < 0.5 s)\n' \
  "start to first drawn window:" "$view_start" "$setup_start"
printf '  %-36s %s\n' "epoch's last byte to screen update:" "$latency"
