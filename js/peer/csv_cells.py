"""Reads a CSV file with Python's csv module and prints what it read: the header cells on the
first line, separated by tabs, then one line per row with each cell as the number Python reads
from it (repr of float, which reads back exactly) or "-" for an empty cell.

    python3 csv_cells.py FILE
"""
import csv
import sys

sys.stdout.reconfigure(errors="surrogateescape")
with open(sys.argv[1], newline="", encoding="utf-8", errors="surrogateescape") as file:
    rows = csv.reader(file)
    print("\t".join(next(rows)))
    for row in rows:
        print(" ".join(repr(float(cell)) if cell else "-" for cell in row))
