"""Prints an .xlsx workbook's first worksheet as lines, for the export tests.

    width <column letter> <width>           one line per column with a set width
    row <n> <cell>\t<cell>...               one line per row, 1-based, up to the last used row

A cell is "-" when empty, "s:<text>" for a string, "n:<number>" for a number (an integer
as such, a fraction as Python's shortest round-trip form), "d:<YYYY-MM-DDTHH:MM:SS>" for a date
and "t:<HH:MM:SS>" for a time of day; a number, date or time with a number format other than
General ends in "@<format>". Tabs, line breaks and backslashes in texts are written as \\t,
\\n, \\r and \\\\. Any reading error ends the script with status 1.

Usage: /usr/bin/python3 read_xlsx.py FILE
"""
import datetime
import sys

import openpyxl
from openpyxl.utils import get_column_letter


def with_format(text, cell):
    if cell.number_format and cell.number_format != "General":
        return text + "@" + cell.number_format
    return text


def cell_text(cell):
    value = cell.value
    if value is None:
        return "-"
    if isinstance(value, datetime.datetime):
        return with_format("d:" + value.isoformat(), cell)
    if isinstance(value, datetime.time):
        return with_format("t:" + value.isoformat(), cell)
    if cell.data_type == "n":
        if isinstance(value, float) and value.is_integer():
            return with_format("n:%d" % int(value), cell)
        return with_format("n:%r" % value, cell)
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
