#!/usr/bin/env bash
# `vetra compare` on two logs of a 24-hour drive that crosses midnight: a receiver under test
# ($GP, 1 Hz: 86,400 epochs) and a reference receiver ($GN, 10 Hz: 864,000 epochs), each epoch a
# GGA, GSA and RMC, the test's positions the reference's plus a few metres of wander. Both logs
# are written into a temporary folder (or into LOGS=FOLDER, kept and reused).
#
#   bench/compare-drive.sh [BUILD_DIR]        (default: build; needs BUILD_DIR/bin/vetra)
#
# It prints the wall time, CPU time and peak memory (maximum resident set) of `vetra stats` on
# each log and of `vetra compare` on both. Goals: compare's wall time less than twice that of
# stats on the same two files, its peak memory below 50 MB.
set -euo pipefail
export LC_ALL=C

build=${1:-build}
vetra=$(cd "$build" && pwd)/bin/vetra
[[ -x $vetra ]] || { echo "no $vetra; build the 'vetra' target first" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# LOGS=FOLDER keeps the two logs there and reuses them on the next run.
logs=${LOGS:-$work}
mkdir -p "$logs"

[[ -s $logs/reference.log && -s $logs/test.log ]] || python3 - "$logs" <<'PY'
import math, sys
folder = sys.argv[1]

def sentence(body):
    total = 0
    for c in body.encode():
        total ^= c
    return "$%s*%02X\r\n" % (body, total)

def angle(value, digits):
    v = abs(value)
    degrees = int(v)
    minutes = (v - degrees) * 60
    return "%0*d%010.7f" % (digits, degrees, minutes)

def epoch(talker, t, lat, lon, h, speed, track, quality):
    utc = 12 * 3600 + t                       # from 12:00 on 7 December, over midnight
    day = 7 + int(utc // 86400)
    tod = utc % 86400
    time = "%02d%02d%05.2f" % (tod // 3600, tod // 60 % 60, tod % 60)
    pos = "%s,%s,%s,%s" % (angle(lat, 2), "N" if lat >= 0 else "S", angle(lon, 3), "E" if lon >= 0 else "W")
    return (sentence("%sGGA,%s,%s,%d,12,0.8,%.3f,M,47.250,M,," % (talker, time, pos, quality, h - 47.25)) +
            sentence("%sGSA,A,3,02,05,09,12,15,18,21,25,,,,,1.5,0.8,1.2" % talker) +
            sentence("%sRMC,%s,A,%s,%.3f,%.2f,%02d1226,," % (talker, time, pos, speed * 3600 / 1852, track, day)))

R, V = 5000.0, 15.0                           # a 5 km loop at 15 m/s
LAT0, LON0 = 48.137, 11.575
M_LAT = 111132.0
M_LON = 111320.0 * math.cos(math.radians(LAT0))

def where(t):
    a = V * t / R
    east, north = R * math.cos(a), R * math.sin(a)
    track = math.degrees(math.atan2(-math.sin(a), math.cos(a))) % 360
    return LAT0 + north / M_LAT, LON0 + east / M_LON, 520 + 3 * math.sin(t / 600), track

with open(folder + "/reference.log", "w", newline="") as ref:
    for i in range(864000):
        t = i / 10
        lat, lon, h, track = where(t)
        ref.write(epoch("GN", t, lat, lon, h, V, track, 4))
with open(folder + "/test.log", "w", newline="") as test:
    for s in range(86400):
        lat, lon, h, track = where(s)
        e, n, u = 1.5 * math.sin(s / 37), 1.2 * math.cos(s / 53), 2.0 * math.sin(s / 71)
        test.write(epoch("GP", s, lat + n / M_LAT, lon + e / M_LON, h + u, V, track, 1))
PY

measure() {  # label command...
  local label=$1 status=0
  shift
  /usr/bin/time -f "%e %U %S %M" -o "$work/time" "$@" >"$work/out" 2>"$work/err" || status=$?
  # A `vetra stats` that reads the module's own talker only finds no fix in a $GN log (exit 1)
  # but still reads all of it: its time counts.
  if ((status > 1)); then
    echo "$label failed:" >&2
    cat "$work/err" >&2
    exit 1
  fi
  ((status == 0)) || echo "($label: $(head -1 "$work/err"))"
  read -r wall user sys kb < <(tail -1 "$work/time")  # after "Command exited with ..."
  printf '%-28s %7.2f s wall  %7.2f s cpu  %7.1f MB peak\n' "$label" "$wall" \
    "$(echo "$user + $sys" | bc)" "$(echo "scale=1; $kb / 1024" | bc)"
  last_wall=$wall
}

printf 'test log %s bytes, reference log %s bytes\n' "$(stat -c %s "$logs/test.log")" \
  "$(stat -c %s "$logs/reference.log")"
measure "vetra stats test.log" "$vetra" stats "$logs/test.log"
stats_wall=$last_wall
measure "vetra stats reference.log" "$vetra" stats "$logs/reference.log"
stats_wall=$(echo "$stats_wall + $last_wall" | bc)
measure "vetra compare" "$vetra" compare "$logs/test.log" "$logs/reference.log"
cat "$work/out"
printf 'compare / stats of both logs (wall): %.2f (goal: below 2)\n' \
  "$(echo "scale=3; $last_wall / $stats_wall" | bc)"
