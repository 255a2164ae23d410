"""Prints an .xlsx workbook's first worksheet as lines, for the export tests.

    width <column letter> <width>           one line per column with a set width
    row <n> <cell>\t<cell>...               one line per row, 1-based, up to the last used row

A cell is "-" when empty, "s:<text>" for a string and "n:<number>" for a number (an integer
as such, a fraction as Python's shortest round-trip form). Tabs, line breaks and backslashes
in texts are written as \\t, \\n, \\r and \\\\. Any reading error ends the script with status 1.

Usage: /usr/bin/python3 read_xlsx.py FILE
"""
import sys

import openpyxl
from openpyxl.utils import get_column_letter


def cell_text(cell):
    value = cell.value
    if value is None:
        return "-"
    if cell.data_type == "n":
        if isinstance(value, float) and value.is_integer():
            return "n:%d" % int(value)
        return "n:%r" % value
    if cell.data_type == "s":
        text = (value.replace("\\", "\\\\").replace("\t", "\\t")
                .replace("\n", "\\n").replace("\r", "\\r"))
        return "s:" + text
    return "%s:%r" % (cell.data_type, value)


def main():
    sys.stdout.reconfigure(encoding="utf-8")
    book = openpyxl.load_workbook(sys.argv[1])
    sheet = book.worksheets[0]
    widths = {}
    for dimension in sheet.column_dimensions.values():
        if dimension.customWidth and dimension.min is not None:
            for index in range(dimension.min, dimension.max + 1):
                widths[index] = dimension.width
    for index in sorted(widths):
        print("width %s %r" % (get_column_letter(index), widths[index]))
    for index, row in enumerate(sheet.iter_rows(min_row=1, max_row=sheet.max_row), start=1):
        print("row %d %s" % (index, "\t".join(cell_text(c) for c in row)))


if __name__ == "__main__":
    main()
