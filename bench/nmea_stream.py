#!/usr/bin/env python3
"""Makes an NMEA 0183 stream of a receiver driving on a gentle curve, for the benchmarks.

Each epoch gives GGA, GSA, one GSV per four satellites in view, RMC and VTG (GLL and ZDA on
request), with correct checksums and CR LF, at 1 Hz or any other rate. The stream is the same for
the same options (a seeded generator), so figures of two runs are comparable.

  bench/nmea_stream.py --epochs 600 -o log.nmea
  bench/nmea_stream.py --size-mb 100 --rate 10 --talker GN > big.nmea
"""

import argparse
import datetime
import math
import random
import sys

EARTH_RADIUS_M = 6378137.0
KNOTS_PER_MS = 1.0 / 0.514444


def checksum(body):
    value = 0
    for ch in body.encode("ascii"):
        value ^= ch
    return "%02X" % value


def sentence(body):
    return "$%s*%s\r\n" % (body, checksum(body))


def angle_text(degrees, width):
    """ddmm.mmmmm (latitude, width 2) or dddmm.mmmmm (longitude, width 3) and the hemisphere."""
    magnitude = abs(degrees)
    whole = int(magnitude)
    minutes = (magnitude - whole) * 60.0
    if round(minutes, 5) >= 60.0:
        whole, minutes = whole + 1, 0.0
    return "%0*d%08.5f" % (width, whole, minutes)


class Satellite:
    def __init__(self, rng, prn):
        self.prn = prn
        self.elevation = rng.uniform(5, 85)
        self.azimuth = rng.uniform(0, 360)
        self.cn0 = rng.uniform(28, 48)
        self.drift = rng.uniform(-0.002, 0.002)

    def step(self, rng, seconds):
        self.azimuth = (self.azimuth + 0.004 * seconds) % 360
        self.elevation = min(89.0, max(1.0, self.elevation + self.drift * seconds))
        self.cn0 = min(52.0, max(20.0, self.cn0 + rng.uniform(-0.4, 0.4)))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("-o", "--output", default="-", help="file to write ('-': standard output)")
    size = parser.add_mutually_exclusive_group()
    size.add_argument("--epochs", type=int, help="number of epochs")
    size.add_argument("--size-mb", type=float, default=100.0,
                      help="stop after the epoch that reaches this many MB (10^6 bytes)")
    parser.add_argument("--rate", type=float, default=1.0, help="epochs per second")
    parser.add_argument("--talker", default="GP", help="talker of every sentence (GP, GN ...)")
    parser.add_argument("--start", default="2024-03-30T23:50:00",
                        help="UTC of the first epoch, ISO 8601 (the default crosses midnight)")
    parser.add_argument("--lat", type=float, default=48.1371)
    parser.add_argument("--lon", type=float, default=11.5761)
    parser.add_argument("--alt", type=float, default=519.0, help="height above MSL, metres")
    parser.add_argument("--speed", type=float, default=2.2, help="metres per second")
    parser.add_argument("--satellites", type=int, default=12)
    parser.add_argument("--gll", action="store_true", help="also GLL, after RMC")
    parser.add_argument("--zda", action="store_true", help="also ZDA")
    parser.add_argument("--bad-checksum-rate", type=float, default=0.0,
                        help="share of sentences written with a wrong checksum")
    parser.add_argument("--seed", type=int, default=1)
    args = parser.parse_args()

    rng = random.Random(args.seed)
    out = sys.stdout if args.output == "-" else open(args.output, "w", newline="")
    talker = args.talker
    step = 1.0 / args.rate
    when = datetime.datetime.fromisoformat(args.start).replace(tzinfo=datetime.timezone.utc)
    lat, lon, alt = args.lat, args.lon, args.alt
    track = 261.0
    satellites = [Satellite(rng, prn) for prn in sorted(rng.sample(range(1, 33), args.satellites))]
    limit_bytes = None if args.epochs is not None else int(args.size_mb * 1e6)
    written = 0
    epochs = 0

    def emit(body):
        nonlocal written
        text = sentence(body)
        if args.bad_checksum_rate > 0 and rng.random() < args.bad_checksum_rate:
            text = text[:-4] + ("00" if not text.endswith("00\r\n") else "11") + "\r\n"
        out.write(text)
        written += len(text)

    while (args.epochs is not None and epochs < args.epochs) or (
            limit_bytes is not None and written < limit_bytes):
        hundredths = when.microsecond // 10000
        clock = "%02d%02d%02d.%02d" % (when.hour, when.minute, when.second, hundredths)
        date = when.strftime("%d%m%y")
        speed = max(0.0, args.speed + rng.uniform(-0.3, 0.3))
        lat_text, lon_text = angle_text(lat, 2), angle_text(lon, 3)
        ns, ew = ("N" if lat >= 0 else "S"), ("E" if lon >= 0 else "W")
        used = [s for s in satellites if s.elevation > 10][:12]
        hdop = 0.8 + 6.0 / max(len(used), 1) + rng.uniform(0, 0.1)
        vdop = hdop * 1.4
        pdop = math.hypot(hdop, vdop)

        emit("%sGGA,%s,%s,%s,%s,%s,1,%02d,%.2f,%.1f,M,47.6,M,," %
             (talker, clock, lat_text, ns, lon_text, ew, len(used), hdop, alt))
        emit("%sGSA,A,3,%s,%.2f,%.2f,%.2f" %
             (talker, ",".join(["%02d" % s.prn for s in used] + [""] * (12 - len(used))),
              pdop, hdop, vdop))
        groups = [satellites[i:i + 4] for i in range(0, len(satellites), 4)]
        for index, group in enumerate(groups, 1):
            fields = ",".join("%02d,%02d,%03d,%02d" % (s.prn, round(s.elevation), round(s.azimuth) % 360,
                                                     round(s.cn0)) for s in group)
            emit("%sGSV,%d,%d,%02d,%s" % (talker, len(groups), index, len(satellites), fields))
        emit("%sRMC,%s,A,%s,%s,%s,%s,%.3f,%.2f,%s,,,A" %
             (talker, clock, lat_text, ns, lon_text, ew, speed * KNOTS_PER_MS, track, date))
        if args.gll:
            emit("%sGLL,%s,%s,%s,%s,%s,A,A" % (talker, lat_text, ns, lon_text, ew, clock))
        emit("%sVTG,%.2f,T,,M,%.3f,N,%.3f,K,A" % (talker, track, speed * KNOTS_PER_MS, speed * 3.6))
        if args.zda:
            emit("%sZDA,%s,%02d,%02d,%04d,00,00" % (talker, clock, when.day, when.month, when.year))

        # Onwards along a curve that turns slowly.
        distance = speed * step
        lat += math.degrees(distance * math.cos(math.radians(track)) / EARTH_RADIUS_M)
        lon += math.degrees(distance * math.sin(math.radians(track)) /
                            (EARTH_RADIUS_M * math.cos(math.radians(lat))))
        alt += rng.uniform(-0.2, 0.2)
        track = (track + 0.5 * step) % 360
        for s in satellites:
            s.step(rng, step)
        when += datetime.timedelta(seconds=step)
        epochs += 1

    if out is not sys.stdout:
        out.close()
    print("nmea_stream: %d epochs, %d bytes" % (epochs, written), file=sys.stderr)


if __name__ == "__main__":
    main()
