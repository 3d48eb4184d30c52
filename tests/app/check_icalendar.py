#!/usr/bin/env python3
"""Reads an exported calendar with Debian's iCalendar parser (python3-icalendar) and prints
its events as JSON, after checking the line form: CRLF only, at most 75 octets a line,
whole UTF-8 characters on every line, times in UTC. Any fault ends with exit status 1."""

import json
import sys

from icalendar import Calendar


def main(path):
    data = open(path, "rb").read()
    lines = data.split(b"\r\n")
    if lines[-1] != b"":
        raise SystemExit("the calendar does not end with CRLF")
    for line in lines[:-1]:
        if b"\n" in line or b"\r" in line:
            raise SystemExit(f"a line break that is not CRLF: {line!r}")
        if len(line) > 75:
            raise SystemExit(f"a line of {len(line)} octets: {line!r}")
        line.decode("utf-8")  # a character cut by the folding fails here
    calendar = Calendar.from_ical(data)
    events = []
    for event in calendar.walk("VEVENT"):
        start = event.decoded("DTSTART")
        end = event.decoded("DTEND")
        for instant in (start, end):
            if instant.utcoffset() is None or instant.utcoffset().total_seconds() != 0:
                raise SystemExit(f"not a UTC time: {instant!r}")
        rule = event.get("RRULE")
        events.append({
            "uid": str(event["UID"]),
            "summary": str(event["SUMMARY"]),
            "description": str(event["DESCRIPTION"]),
            "start": int(start.timestamp()),
            "end": int(end.timestamp()),
            "rule": (rule["FREQ"][0] + ":" + ",".join(rule["BYDAY"])) if rule else "",
        })
    print(json.dumps(events, ensure_ascii=False))


if __name__ == "__main__":
    main(sys.argv[1])
