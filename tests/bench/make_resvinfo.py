#!/usr/bin/env python3
"""Writes a reservation file (.ResvInfo.dat) for trying the program out and for measuring it,
and optionally a companion presets file to go with it.

  make_resvinfo.py --sample ja|en OUT        a handful of reservations of every kind
  make_resvinfo.py --count N OUT             N reservations, one an hour from tomorrow on
  make_resvinfo.py --presets ja|en PLIST     the companion's channel presets
"""
import argparse
import plistlib
import struct
import time

RECORD = struct.Struct("<iddI256sIBBxxI")  # 292 bytes, see docs/reservation-file.md
assert RECORD.size == 292
FM = 0x01000000

STATIONS = {
    "en": {"fm": [(7610, "Bayside FM"), (8130, "City Wave 81.3"), (8250, "Harbor Radio")],
           "am": [(594, "Central AM"), (954, "Talk 954"), (1134, "Evening Radio")]},
    "ja": {"fm": [(7610, "ベイサイドFM"), (8130, "シティウェーブ"), (8250, "ハーバーラジオ")],
           "am": [(594, "中央ラジオ第1"), (954, "トーク954"), (1134, "夕やけラジオ")]},
}

TITLES = {
    "en": ["Morning News", "Classics Before Work", "Baseball Night Game", "Late Jazz Hour",
           "Weekend Talk Show", "Language Course"],
    "ja": ["朝のニュース", "出勤前のクラシック", "ナイター中継", "深夜のジャズアワー",
           "週末トークショー", "ラジオ英会話"],
}


def record(start, length, freq, title, week=0, pending=1, valid=1):
    return RECORD.pack(0, float(start), float(start + length), freq,
                       title.encode("utf-8")[:255], week, pending, valid, 0)


def day_start(offset_days):
    t = time.localtime(time.time() + offset_days * 86400)
    return time.mktime((t.tm_year, t.tm_mon, t.tm_mday, 0, 0, 0, 0, 0, -1))


def sample(lang):
    titles = TITLES[lang]
    today, tomorrow = day_start(0), day_start(1)
    return [
        # over: yesterday morning, missed
        record(day_start(-1) + 7 * 3600, 1800, FM | 8130, titles[0], pending=0),
        # weekly on weekdays
        record(tomorrow + 6 * 3600 + 1800, 3600, FM | 8130, titles[1], week=0b0111110),
        # two that overlap
        record(tomorrow + 18 * 3600, 3 * 3600, 954, titles[2]),
        record(tomorrow + 20 * 3600, 3600, FM | 7610, titles[3]),
        # switched off
        record(day_start(2) + 10 * 3600, 5400, 594, titles[4], valid=0),
        # once only
        record(day_start(3) + 21 * 3600, 900, 1134, titles[5]),
    ]


def many(count):
    start = day_start(1)
    return [record(start + i * 3600, 1800, FM | 8130 if i % 2 else 954, "Reservation %d" % i)
            for i in range(count)]


def presets(lang):
    def slots(entries):
        out = b""
        for i in range(12):
            freq, name = entries[i] if i < len(entries) else (0, "")
            out += struct.pack("<I", freq) + name.encode("utf-8").ljust(256, b"\0")[:256]
        return out
    data = slots(STATIONS[lang]["fm"]) + slots(STATIONS[lang]["am"])
    assert len(data) == 6240
    return {"Presets": data}


def main():
    parser = argparse.ArgumentParser()
    group = parser.add_mutually_exclusive_group(required=True)
    group.add_argument("--sample", choices=["en", "ja"])
    group.add_argument("--count", type=int)
    group.add_argument("--presets", choices=["en", "ja"])
    parser.add_argument("out")
    args = parser.parse_args()
    if args.presets:
        with open(args.out, "wb") as f:
            plistlib.dump(presets(args.presets), f, fmt=plistlib.FMT_XML)
        return
    records = sample(args.sample) if args.sample else many(args.count)
    with open(args.out, "wb") as f:
        f.write(b"".join(records))


if __name__ == "__main__":
    main()
