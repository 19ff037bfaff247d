#!/usr/bin/env bash
# Peak memory of `vetra stats` on a generated raw receive log of SIZE_MB (default 1024 MB):
# prints the log's size, its fixes, the wall and CPU time and the "Maximum resident set size" that
# /usr/bin/time -v reports. Goal: under 100 MB for 1 GB.
#
# The log is a receiver standing still at 1 Hz (GGA, GSA, three GSV, RMC, VTG; 12 satellites; a
# few metres of noise), its times and dates advancing epoch by epoch, so every epoch is a fix.
#
#   VETRA=build/bin/vetra bench/stats-memory.sh        # SIZE_MB=1024 KEEP=1 to keep the log
set -euo pipefail
vetra="${VETRA:-build/bin/vetra}"
size_mb="${SIZE_MB:-1024}"
work="$(mktemp -d)"
[[ "${KEEP:-0}" == 1 ]] || trap 'rm -rf "$work"' EXIT
log="$work/still-1hz.nmea"

python3 - "$log" "$size_mb" <<'PY'
import datetime, math, random, sys
path, size = sys.argv[1], int(sys.argv[2]) * 1024 * 1024
def sentence(body):
    s = 0
    for c in body.encode():
        s ^= c
    return "$%s*%02X\r\n" % (body, s)
def angle(value, digits):
    d = int(abs(value)); m = (abs(value) - d) * 60
    return "%0*d%010.7f" % (digits, d, m)
rnd = random.Random(7)
t = datetime.datetime(2026, 1, 1)
written = 0
with open(path, "w", newline="") as out:
    while written < size:
        block = []
        for _ in range(1000):
            hms = t.strftime("%H%M%S") + ".00"
            lat = 47.3769 + rnd.gauss(0, 1.5) / 111132
            lon = 8.5417 + rnd.gauss(0, 1.5) / 75500
            alt = 410 + rnd.gauss(0, 2.5)
            block.append(sentence("GPGGA,%s,%s,N,%s,E,1,09,0.9,%.1f,M,48.0,M,," % (hms, angle(lat, 2), angle(lon, 3), alt)))
            block.append(sentence("GPGSA,A,3,01,02,03,04,05,06,07,08,09,,,,1.6,0.9,1.3"))
            for page in range(3):
                sats = ",".join("%02d,%02d,%03d,%02d" % (4 * page + i + 1, 10 + 5 * i, 30 * (4 * page + i), 30 + i) for i in range(4))
                block.append(sentence("GPGSV,3,%d,12,%s" % (page + 1, sats)))
            block.append(sentence("GPRMC,%s,A,%s,N,%s,E,0.1,12.3,%s,,,A" % (hms, angle(lat, 2), angle(lon, 3), t.strftime("%d%m%y"))))
            block.append(sentence("GPVTG,12.3,T,,M,0.1,N,0.2,K,A"))
            t += datetime.timedelta(seconds=1)
        text = "".join(block)
        out.write(text)
        written += len(text)
PY
bytes=$(stat -c %s "$log")
echo "log: $bytes bytes ($((bytes / 1048576)) MiB)"
/usr/bin/time -v "$vetra" stats "$log" >"$work/report" 2>"$work/time" || true
grep -E '^fixes|^CEP50|^note' "$work/report" || cat "$work/report"
grep -E 'Maximum resident set size|Elapsed \(wall|User time|System time' "$work/time"
