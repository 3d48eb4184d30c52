#!/usr/bin/env python3
"""Prints a reservation file (.ResvInfo.dat) in readable form, one reservation a line."""
import datetime
import struct
import sys

RECORD = 292
DAYS = ["Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"]


def parse(record):
    nid, start, end, freq = struct.unpack_from("<iddI", record, 0)
    title = record[24:280].split(b"\0", 1)[0].decode("utf-8", "replace")
    week, = struct.unpack_from("<I", record, 280)
    pending, valid = record[284], record[285]
    state, = struct.unpack_from("<I", record, 288)
    return nid, start, end, freq, title, week, pending, valid, state


def describe(fields):
    nid, start, end, freq, title, week, pending, valid, state = fields
    band = "FM %.1f MHz" % ((freq & 0xFFFFFF) / 100.0) if freq >> 24 else "AM %d kHz" % (freq & 0xFFFFFF)
    utc = datetime.timezone.utc

    def when(t):
        try:
            return datetime.datetime.fromtimestamp(t, utc).strftime("%Y-%m-%d %H:%M:%S UTC")
        except (OverflowError, ValueError, OSError):
            return repr(t)

    days = ",".join(d for k, d in enumerate(DAYS) if week & (1 << k)) or "once"
    flags = ("on" if valid else "off") + ("" if pending else ", over")
    return f"id {nid:5d}  {when(start)} .. {when(end)}  {band:14s} {days:12s} [{flags}] {title}"


def main(path):
    data = open(path, "rb").read()
    whole = len(data) // RECORD
    for i in range(whole):
        print(describe(parse(data[i * RECORD:(i + 1) * RECORD])))
    if len(data) % RECORD:
        print(f"(a trailing fragment of {len(data) % RECORD} bytes is ignored)")
    print(f"{whole} reservation(s)")


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit("usage: dump_resvinfo.py FILE")
    main(sys.argv[1])
