"""The yardstick for the export: writes the rows of a tab-separated file (titles first) to an .xls
workbook with xlwt, every value a text, and prints the seconds the writing took (reading the file
is not timed). Exit code 3 when xlwt is not installed."""
import sys
import time

try:
    import xlwt
except ImportError:
    sys.exit(3)

with open(sys.argv[1], encoding="utf-8") as source:
    rows = [line.rstrip("\n").split("\t") for line in source]
start = time.perf_counter()
book = xlwt.Workbook(encoding="utf-8")
sheet = book.add_sheet("Sheet1")
for r, row in enumerate(rows):
    for c, value in enumerate(row):
        sheet.write(r, c, value)
book.save(sys.argv[2])
print(time.perf_counter() - start)
