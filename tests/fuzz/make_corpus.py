#!/usr/bin/env python3
"""Writes the seed corpus of the book fuzzer into corpus/ beside this script.

Each input is one selector byte (the puzzle number to load; see
book_harness.h) followed by the bytes of a book file.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def le32(v):
    return struct.pack("<i", v)


def grid(side, shift=0):
    """A Latin square of the given side, digits 1..side, boxed when side is square."""
    box = 1
    while box * box < side:
        box += 1
    if box * box == side:
        return [(r * box + r // box + c + shift) % side + 1 for r in range(side) for c in range(side)]
    return [(r + c + shift) % side + 1 for r in range(side) for c in range(side)]


def pair_cages(side):
    """Cages of two cells along each row, numbered 0, 1, 2, ... in cell order."""
    per_row = (side + 1) // 2
    return [r * per_row + c // 2 for r in range(side) for c in range(side)]


def record(side, cages=None, digits=None, magic=b"PLIX"):
    cages = pair_cages(side) if cages is None else cages
    digits = grid(side) if digits is None else digits
    return magic + bytes([side]) + bytes(cages) + bytes(digits)


def book(records, order=None, magic=b"WOBE"):
    """Records laid out in the given order after the table; the table keeps puzzle order."""
    order = list(range(len(records))) if order is None else order
    start = 8 + 4 * len(records)
    offsets = [0] * len(records)
    body = b""
    for k in order:
        offsets[k] = start + len(body)
        body += records[k]
    return magic + le32(len(records)) + b"".join(le32(o) for o in offsets) + body


def header(count, offsets, rest=b""):
    return b"WOBE" + le32(count) + b"".join(le32(o) for o in offsets) + rest


def main():
    nine = record(9)
    seeds = {
        # Books that open, and puzzles that load.
        "good-one-9x9": (1, book([nine])),
        "good-three-out-of-order": (2, book([nine, record(9, digits=grid(9, 4)), record(4)], order=[2, 0, 1])),
        "good-4x4": (1, book([record(4)])),
        "good-1x1": (1, book([record(1)])),
        "good-15x15": (1, book([record(15)])),
        "good-cage-numbers-with-a-gap": (1, book([record(4, cages=[0, 0, 2, 2] * 4)])),
        "last-puzzle-by-count": (0xF6, book([record(4), nine])),
        # Numbers outside the book.
        "number-past-the-end": (0xF7, book([nine, record(4)])),
        "number-zero": (0, book([nine])),
        "number-most-negative": (0xF0, book([nine])),
        "number-wraps-to-one-in-16-bits": (0xF4, book([nine])),
        # Headers that must be refused.
        "empty": (1, b""),
        "wrong-book-magic": (1, book([nine], magic=b"WOBF")),
        "count-zero": (1, header(0, [], nine)),
        "count-too-large": (1, header(32768, [12], nine)),
        "count-negative": (1, header(-1, [12], nine)),
        "table-cut-short": (1, header(3, [16, 16])),
        "offset-negative": (1, header(1, [-4], nine)),
        "offset-past-the-end": (1, header(1, [12 + len(nine)], nine)),
        # Six bytes from the end: no record fits there (a 1 x 1 record takes seven).
        "offset-too-late-for-any-record": (1, header(1, [12 + len(nine) - 6], nine)),
        # Books that open, with records that must be refused.
        "offset-into-the-header": (1, header(2, [0, 16], nine)),
        "two-numbers-one-record": (2, header(2, [16, 16], nine)),
        "wrong-record-magic": (1, book([record(9, magic=b"PLIY")])),
        "side-zero": (1, book([b"PLIX\x00\x00\x01"])),
        "side-sixteen": (1, book([b"PLIX\x10" + bytes(512)])),
        "record-cut-short": (1, book([nine[:-1]])),
        "digit-zero": (1, book([record(4, digits=[0] + grid(4)[1:])])),
        "digit-above-side": (1, book([record(4, digits=[5] + grid(4)[1:])])),
        "cage-number-too-large": (1, book([record(4, cages=[16] + pair_cages(4)[1:])])),
        "cage-sum-over-255": (1, book([record(15, cages=[0] * 225)])),
    }
    folder = os.path.join(HERE, "corpus")
    os.makedirs(folder, exist_ok=True)
    for name, (selector, data) in seeds.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(bytes([selector]) + data)


if __name__ == "__main__":
    main()
