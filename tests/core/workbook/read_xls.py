"""Reads an .xls file with xlrd and prints every sheet as JSON: its name and its rows, each cell as
[type, value] (xlrd's cell types: 0 empty, 1 text, 2 number, ...). Exit code 1 when xlrd refuses it.
With --streams FILE NAME...: prints the named streams of any compound file as JSON of hex texts."""
import json
import sys

import xlrd
import xlrd.compdoc

if sys.argv[1] == "--streams":
    with open(sys.argv[2], "rb") as file:
        doc = xlrd.compdoc.CompDoc(file.read(), logfile=sys.stderr)
    streams = {}
    for name in sys.argv[3:]:
        data = doc.get_named_stream(name)
        streams[name] = None if data is None else data.hex()
    json.dump(streams, sys.stdout)
    sys.exit(0)

try:
    book = xlrd.open_workbook(sys.argv[1])
except Exception as error:  # anything xlrd raises means the file is not a readable workbook
    print(f"xlrd: {error}", file=sys.stderr)
    sys.exit(1)
sheets = []
for sheet in book.sheets():
    rows = [[[cell.ctype, cell.value] for cell in sheet.row(r)] for r in range(sheet.nrows)]
    sheets.append({"name": sheet.name, "rows": rows})
json.dump({"sheets": sheets}, sys.stdout, ensure_ascii=False)
