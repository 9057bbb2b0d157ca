#!/usr/bin/env python3
"""Writes an input record file of COUNT DATAX bookings (data type 1) whose
document number, field 100, is "R<n>" for the n-th record:

    make_bookings.py PATH COUNT
"""
import sys


def field(number: int, value: bytes) -> bytes:
    return b"%03d%03d000" % (number, len(value)) + value


def main() -> None:
    path, count = sys.argv[1], int(sys.argv[2])
    with open(path, "wb") as out:
        for i in range(1, count + 1):
            out.write(field(10, b"1") + field(15, b"0") + field(100, b"R%d" % i) + field(105, b"04.12.2026")
                      + field(110, b"10000") + field(115, b"1190.00") + field(120, b"8400") + b"\r\n")


if __name__ == "__main__":
    main()
