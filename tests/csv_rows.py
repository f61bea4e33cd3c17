# The rows of a UTF-8 CSV file as Python's csv module reads it with
# strict=True (a parse error fails): each field followed by 0x1F but the last,
# each row by 0x1E.
import csv
import sys

for row in csv.reader(open(sys.argv[1], newline="", encoding="utf-8"), strict=True):
    sys.stdout.buffer.write("\x1f".join(row).encode() + b"\x1e")
