#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes the seed recordings of the recording reader's fuzz run into
corpus/recording/: a few sound files of each kind and a few broken ones.
Run it again only to change the seeds; the files are kept in the tree."""

import math
import pathlib
import struct

OUT = pathlib.Path(__file__).resolve().parent / "corpus" / "recording"


def header(kind, count, mask=1, mask32=1, period=1000, channels=(), version=4, size=76,
           start_ms=1_700_000_000_000):
    block = bytearray(512)
    struct.pack_into("<iibBhB", block, 0, version, size, count, mask, period, kind)
    if kind == 2:
        block[44:44 + len(channels)] = bytes(channels)
    else:
        block[13:13 + len(channels)] = bytes(channels)
    struct.pack_into("<I", block, 40, mask32)
    struct.pack_into("<q", block, 504, start_ms)
    return bytes(block)


def records(n, channels, rate, time=lambda k, rate: k / rate):
    out = bytearray()
    for k in range(n):
        values = [math.sin(k / 7 + c) * (c + 1) for c in range(channels)]
        out += struct.pack("<%dd" % (channels + 1), time(k, rate), *values)
    return bytes(out)


def main():
    OUT.mkdir(parents=True, exist_ok=True)
    model500 = header(1, 2, mask=0x03, channels=(0, 1)) + records(150, 2, 10)
    seeds = {
        "model500.ampora": model500,
        "model600.ampora": header(2, 3, mask32=0x2003, period=100, channels=(0, 1, 13))
        + records(300, 3, 100),
        "logger.ampora": header(0, 3, mask=0x07, period=100, channels=(0, 1, 2)) + records(50, 3, 100),
        "eight-channels.ampora": header(1, 8, mask=0xFF, period=1, channels=range(8)) + records(40, 8, 10000),
        "partial-last-record.ampora": model500 + b"\x7f" * 13,
        "header-only.ampora": header(1, 2, mask=0x03, channels=(0, 1)),
        "short.ampora": model500[:100],
        "version5.ampora": header(1, 2, mask=0x03, channels=(0, 1), version=5) + records(20, 2, 10),
        "count200.ampora": header(1, -56, mask=0x03, channels=(0, 1)) + records(20, 2, 10),
        "period0.ampora": header(2, 1, mask32=0x01, period=0, channels=(0,)) + records(20, 1, 10),
        "nan-times.ampora": header(1, 1, mask=0x01, channels=(0,))
        + records(30, 1, 10, lambda k, rate: math.nan if k % 7 == 3 or k == 29 else k / rate),
        "backwards.ampora": header(2, 1, mask32=0x04, channels=(2,))
        + records(40, 1, 10, lambda k, rate: (40 - k) / rate),
    }
    for name, data in seeds.items():
        (OUT / name).write_bytes(data)


if __name__ == "__main__":
    main()
