# SPDX-License-Identifier: GPL-3.0-or-later
"""Reads the workbook that Export wrote with openpyxl, as another program would, and
compares every cell, the frozen header, the chart and the document's properties with
what the run holds; then the same run exported with a hold test, whose sheet must show
what the test's JSON says. Usage: read_workbook.py WRITER OUT_DIR"""
import datetime
import json
import math
import re
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
    hold_path = os.path.join(out_dir, "hold.xlsx")
    hold_json = os.path.join(out_dir, "hold.holdtest.json")
    damaged_path = os.path.join(out_dir, "damaged.xlsx")
    subprocess.run([writer, book_path, expected_path, hold_path, hold_json, damaged_path], check=True)
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
    check_hold_sheet(hold_path, hold_json, n, start, interval)
    check_damaged_sheet(damaged_path)


RECORD_LABELS = {"organisation": "Organisation", "test_id": "Test ID", "system_tested": "System tested",
                 "location": "Location", "procedure": "Procedure or standard",
                 "required_pressure": "Required test pressure", "test_medium": "Test medium", "operator": "Operator",
                 "witness": "Witness", "instrument": "Instrument", "serial_number": "Serial number",
                 "instrument_range": "Instrument range", "instrument_accuracy": "Instrument accuracy",
                 "calibration_due": "Calibration due", "start_temperature": "Temperature at start",
                 "end_temperature": "Temperature at end", "notes": "Notes"}
NUMBERS = {"Seconds": "seconds", "Samples": "samples", "Error samples": "errors", "Start": "start",
           "End": "end", "Change": "change", "Change %": "change_percent",
           "Rate per minute": "rate_per_minute", "Allowed change": "allowed",
           "Allowed %": "allowed_percent", "Minimum": "minimum"}
# A text that a cell shows must not act on its reader: controls and direction overrides.
ACTORS = re.compile("[\x00-\x08\x0b-\x1f\x7f\u061c\u200e\u200f\u202a-\u202e\u2066-\u2069]")


def close(cell, expected):
    if expected is None:
        return cell is None
    return isinstance(cell, (int, float)) and abs(cell - expected) < 1e-6


def every_cell_readable(sheet, what):
    """No text over a cell's limit of 32767 or acting on its reader, no number that is none."""
    for cell in (c for row in sheet.iter_rows() for c in row):
        v = cell.value
        readable = (len(v.encode("utf-16-le")) <= 2 * 32767 and not ACTORS.search(v) if isinstance(v, str)
                    else not isinstance(v, float) or math.isfinite(v))
        check(readable, "%s: %s holds %.80r" % (what, cell.coordinate, v))


def check_hold_sheet(book_path, json_path, n, start, interval):
    with open(json_path, encoding="utf-8") as f:
        test = json.load(f)
    book = openpyxl.load_workbook(book_path)
    check(book.sheetnames == ["Run", "Hold test"], "sheets %r" % book.sheetnames)
    check(book["Run"].max_row == n + 1, "the run's sheet lost rows")
    sheet = book["Hold test"]
    every_cell_readable(sheet, "hold test sheet")
    check(sheet["A1"].value == "Pressure Test Record", "title %r" % sheet["A1"].value)
    rows = [(r[0].value, r[1].value) for r in sheet.iter_rows(min_col=1, max_col=2)]
    labelled = {a: b for a, b in rows if a is not None}
    for key, label in RECORD_LABELS.items():
        # Control and direction characters read as escapes, line breaks stay; a text longer
        # than a cell holds goes on in the cells under it.
        expected = test["record"][key].replace("\x01", "\\x01").replace("\u202e", "\\u202e")
        shown = "".join(b for a, b in rows if a in (label, label + " (continued)") and b is not None)
        check(shown == expected, "%s: %.80r" % (label, shown))
    verdict = "PASSED" if test["result"] == "passed" else "NOT PASSED"
    check(labelled.get("Result") == verdict, "result %r" % labelled.get("Result"))
    for label, key in NUMBERS.items():
        check(close(labelled.get(label), test[key]), "%s: %r, expected %r" % (label, labelled.get(label), test[key]))
    # The window's ends are date-times with the run's date, shown with it.
    for label, sample in (("Window start", test["window"]["first_sample"]),
                          ("Window end", test["window"]["last_sample"])):
        cell = next(r[1] for r in sheet.iter_rows(min_col=1, max_col=2) if r[0].value == label)
        check(cell.value == start + datetime.timedelta(seconds=sample * interval) and "yyyy" in cell.number_format,
              "%s %r as %s" % (label, cell.value, cell.number_format))
    check(str(start.date()) in labelled.get("Date of test", ""), "date of test %r" % labelled.get("Date of test"))
    for label, want in (("Unit", test["unit"]), ("Direction", test["direction"]), ("State", "complete"),
                        ("Record revision", 2), ("Record fingerprint (SHA-256)", "f" * 64),
                        ("Data file SHA-256", "0" * 64)):
        check(labelled.get(label) == want, "%s: %r" % (label, labelled.get(label)))
    reasons = [b for a, b in rows if a == "Reason"]
    check(reasons == test["reasons"] and reasons, "reasons %r, expected %r" % (reasons, test["reasons"]))
    head = next(i for i, (a, _) in enumerate(rows) if a == "Checkpoint") + 1
    table = [[c.value for c in r] for r in sheet.iter_rows(min_row=head + 1, max_col=6)]
    check(len(table) == len(test["checkpoints"]), "%d checkpoint rows" % len(table))
    for k, (row, point) in enumerate(zip(table, test["checkpoints"])):
        check(row[0] == k + 1 and row[1] == point["time"] and close(row[3], point["value"]) and
              close(row[4], point["change"]) and row[5] == point["steeper"], "checkpoint %d: %r" % (k + 1, row))
    print("hold test sheet read back: record, result, reasons and %d checkpoints as its JSON says" % len(table))


def check_damaged_sheet(book_path):
    sheet = openpyxl.load_workbook(book_path)["Hold test"]
    every_cell_readable(sheet, "damaged record's sheet")
    rows = [(r[0].value, r[1].value) for r in sheet.iter_rows(min_col=1, max_col=2)]
    witness = "".join(b for a, b in rows if a in ("Witness", "Witness (continued)"))
    got = (dict(rows).get("Start"), dict(rows).get("Minimum"), len(witness))
    check(got == (None, 1e305, 33000 * 4), "start, minimum and the witness's length %r" % (got,))
    print("a damaged record's sheet read back: every number finite, every text within a cell")


main()
