#!/usr/bin/env python3
"""Writes words.Stat: a small store made without our own writer, read back by the unit tests.

The records are built field by field from the record layout, so that a mistake shared by our
writer and our reader cannot hide. Run once; the bytes are kept beside this script.
"""
import struct
import zlib
from pathlib import Path


def record(key: bytes, mdate: float, cdate: float, size: int, marker: int, count: int,
           reserved: bytes = b"") -> bytes:
    assert len(key) <= 80
    out = bytes([len(key)]) + key.ljust(80, b"\0")
    out += reserved.ljust(23, b"\0")[:23]          # bytes 81..103
    out += struct.pack("<ddiIi", mdate, cdate, size, marker, count)
    out += b"\0" * 4                               # bytes 132..135
    assert len(out) == 136
    return out


records = [
    record(b"", 45001.25, 45001.25, 3, 135, 0),                 # header: three plain records
    record(b"hello", 45000.0, 44000.0, 10, 135, 2),             # plain
    record(b"   ", 45000.0, 44000.0, 1, 135, 1),                # blank: a writer leaves it out
    record(b"hello", 45100.0, 44500.0, 5, 135, 1),              # plain again, same key
    record(b"hello", 44900.0, 43000.0, 7, 135, 4),              # tree entry, same key
    record("\u043f\u0440\u0438\u0432\u0435\u0442".encode("cp1251"), 45000.5, 44000.5,
           1234, 136, 9),                                      # Cyrillic key, node marker
    record(b"old", 44000.0, 43000.0, 42, 7, 3, reserved=b"\xff" * 16),  # older layout
    record(b"gone", 45000.0, 44000.0, 99, 0, 99),               # cleared: skipped
    record(b"big", 45000.0, 44000.0, 250000000, 135, 1),        # a byte total above 10^8
    record(b"x" * 80, 45000.0, 44000.0, 1, 135, 1),             # the longest key
    record(b"a\tb", 45000.0, 44000.0, 2, 135, 2),               # a control character
]
data = b"".join(records) + b"\x01partial"                       # a trailing partial record
Path(__file__).with_name("words.Stat").write_bytes(zlib.compress(data, 9))
