"""Reads the workbook that Export wrote with openpyxl, as another program would, and
compares every cell, the frozen header, the chart and the document's properties with
what the run holds. Usage: read_workbook.py WRITER OUT_DIR"""
import datetime
import os
import subprocess
import sys

import openpyxl


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def check(condition, message):
    if not condition:
        fail(message)


def rich_text(title):
    return "".join(run.t for p in title.tx.rich.p for run in (p.r or []))


def main():
    writer, out_dir = sys.argv[1], sys.argv[2]
    book_path = os.path.join(out_dir, "run.xlsx")
    expected_path = os.path.join(out_dir, "run-expected.tsv")
    subprocess.run([writer, book_path, expected_path], check=True)
    with open(expected_path, encoding="latin-1") as f:
        lines = f.read().splitlines()
    start_time, interval = (int(x) for x in lines[0].split("\t"))
    samples = [line.split("\t") for line in lines[1:]]
    n = len(samples)

    book = openpyxl.load_workbook(book_path)
    check(book.sheetnames == ["Run"], "sheets %r" % book.sheetnames)
    sheet = book["Run"]
    check([c.value for c in sheet[1]] == ["No", "Time", "Value", "Unit", "Reading"], "header row")
    check(sheet.freeze_panes == "A2", "frozen pane %r" % sheet.freeze_panes)
    check(sheet.max_row == n + 1, "rows %d, expected %d" % (sheet.max_row, n + 1))

    # The test runs with TZ=UTC, so local times are the UTC ones.
    start = datetime.datetime.utcfromtimestamp(start_time)
    units = []
    for i, (value, unit, reading) in enumerate(samples):
        row = i + 2
        no, time, cell_value, cell_unit, cell_reading = (sheet.cell(row, c).value for c in range(1, 6))
        check(isinstance(no, int) and no == i + 1, "row %d: No %r" % (row, no))
        check(isinstance(time, datetime.datetime), "row %d: Time %r is not a date-time" % (row, time))
        check(time == start + datetime.timedelta(seconds=i * interval), "row %d: Time %s" % (row, time))
        check(sheet.cell(row, 2).number_format == "hh:mm:ss", "row %d: time format" % row)
        if value == "":
            check(cell_value is None, "row %d: error sample with Value %r" % (row, cell_value))
            check(cell_reading.startswith("Error"), "row %d: error word %r" % (row, cell_reading))
        else:
            check(isinstance(cell_value, (int, float)) and not isinstance(cell_value, bool),
                  "row %d: Value %r is not a number" % (row, cell_value))
            # The decimal the reading shows, not the float's nearest double.
            check(cell_value == float(value), "row %d: Value %r, sample %s" % (row, cell_value, value))
        check((cell_unit or "") == unit, "row %d: Unit %r, expected %r" % (row, cell_unit, unit))
        check(cell_reading == reading, "row %d: Reading %r, expected %r" % (row, cell_reading, reading))
        if unit and unit not in units:
            units.append(unit)

    charts = sheet._charts
    check(len(charts) == 1, "%d charts" % len(charts))
    chart = charts[0]
    check(chart.tagname == "lineChart", "chart type %s" % chart.tagname)
    check(rich_text(chart.title) == "Pressure Graph", "chart title %r" % rich_text(chart.title))
    check(rich_text(chart.y_axis.title) == ", ".join(units), "value axis title %r" % rich_text(chart.y_axis.title))
    check(len(chart.series) == 1, "%d series" % len(chart.series))
    series = chart.series[0]
    check(series.cat.numRef.f == "Run!$B$2:$B$%d" % (n + 1), "categories %s" % series.cat.numRef.f)
    check(series.val.numRef.f == "Run!$C$2:$C$%d" % (n + 1), "values %s" % series.val.numRef.f)
    check(chart.anchor._from.col > 4, "the chart covers the table (column %d)" % chart.anchor._from.col)

    check(book.properties.title == "Pressure run " + start.strftime("%Y-%m-%d %H:%M:%S"),
          "title %r" % book.properties.title)
    check(book.properties.created == start, "created %r" % book.properties.created)
    print("workbook of %d samples read back: cells, frozen header, chart and properties as written" % n)


main()
