#!/usr/bin/env python3
"""Writes the seed inputs of the fuzz targets into the folders beside this file.

Seeds are small, meaningful inputs the fuzzer starts from: real frames of the meter,
valid data-logger files and chart sessions. Run again after changing an input layout.
"""
import os
import struct
import zlib

here = os.path.dirname(os.path.abspath(__file__))


def write(target, name, data):
    os.makedirs(os.path.join(here, target), exist_ok=True)
    with open(os.path.join(here, target, name), "wb") as f:
        f.write(bytes(data))


def reading(unit=2, rec=0, status=0, magnitude=b"01.23"):
    return bytes([0xAA, 0x56, unit, rec, status]) + magnitude + b"\x00"


def error(code):
    return bytes([0xAA, 0x57, code]) + bytes(8)


def block(b):  # one receive notification of len(b) < 24 bytes
    return bytes([len(b)]) + b


RUN, STOP, WATCHDOG, FAIL, VIA_PORT, REPEAT, PAINT = 0xE0, 0xE1, 0xEB, 0xEC, 0xED, 0xEE, 0xEF


def key(k):
    return bytes([0xE2 + k])


# fuzz_receive: operations, each a byte (see the target's header).
write("fuzz_receive", "readings_psi", b"".join(block(reading(magnitude=m)) for m in [b"01.23", b"01.24", b"00.00"]))
write("fuzz_receive", "run_three_samples",
      block(reading()) + bytes([RUN, 1]) + b"".join(block(reading(magnitude=b"0%d.50" % i)) for i in range(3)) +
      bytes([STOP, PAINT, 0xE8, 0x03, 0, 0, 0xBC, 0x02, 0, 0]))
write("fuzz_receive", "errors_in_run",
      block(reading()) + bytes([RUN, 2]) + block(error(0x10)) + block(error(0x11)) + block(error(0x13)) +
      block(reading(status=0x04)))
write("fuzz_receive", "hold_dif_rec",
      block(reading()) + key(0) + block(reading(status=0x20)) + key(7) + block(reading(status=0x02)) + key(2) +
      block(reading(rec=1)) + block(reading(rec=4, status=0x22)) + key(1) + key(8) + key(3))
write("fuzz_receive", "units_cycle", b"".join(block(reading(unit=u, magnitude=b"123.4")) for u in range(12)))
write("fuzz_receive", "split_joined_garbage",
      block(reading()[:5]) + block(reading()[5:]) + bytes([22]) + reading() + reading() + block(b"\x00\xff\x03garbage") +
      block(reading(magnitude=b"9e999")) + block(reading(magnitude=b"-----")))
write("fuzz_receive", "full_store",
      block(reading()) + bytes([RUN, 1]) + block(reading()) + bytes([REPEAT, 0xFF]) + block(reading()) +
      bytes([PAINT, 0, 0, 0, 0, 0, 0, 0, 0]))
write("fuzz_receive", "thousand_samples",
      block(reading()) + bytes([RUN, 1]) + block(reading(magnitude=b"12.34")) + bytes([REPEAT, 0xFB, REPEAT, 0xFA, REPEAT, 40]) +
      bytes([PAINT, 0xE8, 0x03, 0, 0, 0xBC, 0x02, 0, 0]))
write("fuzz_receive", "watchdog_and_port_failure",
      block(reading()) + bytes([RUN, 1]) + block(reading()) + bytes([WATCHDOG, WATCHDOG, FAIL, RUN, 1, FAIL, WATCHDOG,
                                                                      VIA_PORT]) + block(reading()) + key(4))


# fuzz_logger_file: data-logger files.
def text(s):
    b = s.encode("cp1252")
    return bytes([len(b)]) + b


def logger_file(values, unit=2, start="10:00:00", end=None, interval_ms=1000, header="", texts=None,
                full_scales=None, units=None):
    n = len(values)
    end = end or start
    unit_name = ["bar", "ozin", "psi", "inHg", "mbar", "mmHg", "kPa", "kgcm", "inH2O", "ftH2O", "cmH2O"][unit]
    out = struct.pack("<i", n) + text(header) + text(start) + text(end) + text(unit_name if n else "")
    out += struct.pack("<iiii", 10, 0, 0, interval_ms)
    out += b"".join(struct.pack("<f", v) for v in values)
    out += b"".join(struct.pack("<f", f) for f in (full_scales or [52.0] * n))
    out += b"".join(texts or [b"+%05.2f" % abs(v) if abs(v) < 100 else b"+99.99" for v in values])
    out += bytes(units or [unit] * n)
    return out


write("fuzz_logger_file", "one_sample", logger_file([1.23]))
write("fuzz_logger_file", "hundred_samples",
      logger_file([round(10 * ((i % 20) - 10) / 3, 3) for i in range(100)], end="10:01:39"))
write("fuzz_logger_file", "empty_run", logger_file([]))
write("fuzz_logger_file", "errors_and_units",
      logger_file([5.1, -5.1, 3.0, 200.0], full_scales=[52.0, 52.0, 3585.92, 3.5776], units=[2, 2, 4, 0],
                  texts=[b"+ERR1\0", b"-ERR2\0", b"+003.0", b"+200.0"]))
# A long text in the 0xFF form and one in the UTF-16 form.
write("fuzz_logger_file", "long_texts",
      struct.pack("<i", 1) + b"\xff" + struct.pack("<H", 300) + b"h" * 300 + b"\xff\xfe\xff\x03" +
      "1\u20ac:".encode("utf-16-le") + text("10:00:00") + text("psi") + struct.pack("<iiii", 0, 0, 0, 1000) +
      struct.pack("<ff", 1.0, 52.0) + b"+01.00" + b"\x02" + b"trailing")


# A sample count as the targets read it: one byte below 0xE0, 0xFE and a 16-bit count,
# or 0xFF for a full store.
def count_bytes(n, full):
    if n == full:
        return b"\xff"
    return bytes([n]) if n < 0xE0 else b"\xfe" + struct.pack("<H", n)


# fuzz_chart_layout: header (unit, full-scale choice, interval, start, count), the sample
# pattern, then operations; an operation byte is 0x80 (paint afterwards) | size << 4 |
# action.
PAINT_AFTER = 0x80


def chart(unit, count, pattern, ops, interval=1):
    out = bytes([unit, 0]) + struct.pack("<I", interval) + struct.pack("<I", 86400) + count_bytes(count, 17278)
    out += struct.pack("<I", len(pattern) - 1) + b"".join(pattern) + struct.pack("<I", 0)
    return out + b"".join(ops)


def sample(unit=2, value=10):
    return bytes([unit & 0x0F | 0x40, value & 0xFF])  # kind 4: ordinary sample


def drag(x1, y1, x2, y2, size=0):
    p = lambda x, y: struct.pack("<II", x + 200, y + 200)
    return bytes([PAINT_AFTER | size << 4 | 0]) + p(x1, y1) + struct.pack("<I", 1) + p(x2, y2) + p(x2, y2)


def right(x, size=0):
    return bytes([PAINT_AFTER | size << 4 | 2]) + struct.pack("<I", x + 200)


write("fuzz_chart_layout", "live_hundred", chart(2, 100, [sample(value=v) for v in (10, 20, -30)], [b"\x8a"]))
write("fuzz_chart_layout", "zoom_and_cursors",
      chart(2, 2000, [sample(value=v) for v in (1, 50, -50, 100)],
            [drag(300, 100, 600, 400), drag(350, 150, 500, 300), right(400), right(500), b"\x86" +
             struct.pack("<I", 150), b"\x84", b"\x85"]))
write("fuzz_chart_layout", "full_store_units", chart(4, 17278, [sample(unit=u, value=u * 9) for u in range(11)],
                                                     [b"\xaa", drag(250, 50, 900, 600, 1), right(700, 1)]))
write("fuzz_chart_layout", "wild_values",
      chart(2, 500, [bytes([0x82, 0]), bytes([0x82, 1]), bytes([0x92, 5, 7]), bytes([0x02, 0]), bytes([0xA2, 9])],
            [drag(300, 100, 600, 400), right(450), b"\xca"]))


# fuzz_logger_graph: header (count, interval, start hour, minute, second, pattern
# length, stride, pattern), then operations: 0 press, 1 move, 2 release, 3 drag watch,
# 4 zoom out, 5 scroll, 6 reset; each with a point, and 0x40 for a paint afterwards.
def graph(count, pattern, ops):
    out = count_bytes(count, 17280) + struct.pack("<IIII", 1000, 12, 2, 0) + struct.pack("<II", len(pattern) - 1, 0)
    return out + b"".join(pattern) + b"".join(ops)


def at(op, x, y):
    return bytes([op | 0x40]) + struct.pack("<II", x + 200, y + 200)


write("fuzz_logger_graph", "hundred_records_zoomed",
      graph(100, [bytes([2, v]) for v in (10, 30, 250)],
            [at(1, 400, 250), at(0, 200, 100), at(1, 500, 300), at(2, 500, 300), at(1, 300, 200),
             at(5, 0, 0) + struct.pack("<I", 130), at(4, 0, 0)]))
write("fuzz_logger_graph", "one_record", graph(1, [bytes([2, 5])], [at(1, 300, 200)]))
write("fuzz_logger_graph", "full_store_wild",
      graph(17280, [bytes([0xC2, 0, 5]), bytes([0x42, 9, 7]), bytes([4, 200])],
            [at(0, 100, 100), at(1, 700, 400), at(3, -50, 900), at(2, 700, 400)]))


# fuzz_journal: the run journal's header, then sample records, each sealed by CRC-32.
def journal_header(start=1765190000, interval_ms=1000):
    body = b"PVJRNL\r\n" + struct.pack("<HHqi", 1, 12, start, interval_ms)
    return body + struct.pack("<I", zlib.crc32(body))


def journal_sample(i, value=12.5, unit=2, name=2, relative=0, text=b"+12.50", full_scale=52.0, to_psi=1.0):
    body = struct.pack("<BIfff", ord("S"), i, value, full_scale, to_psi) + text + bytes([unit, name, relative])
    return body + struct.pack("<I", zlib.crc32(body))


write("fuzz_journal", "header_only", journal_header())
write("fuzz_journal", "six_samples", journal_header() + b"".join(journal_sample(i, 1.0 + i) for i in range(6)))
write("fuzz_journal", "torn_tail", journal_header(interval_ms=60000) +
      b"".join(journal_sample(i, unit=0, name=0, full_scale=3.5776, to_psi=14.5348835) for i in range(3)) +
      journal_sample(3)[:17])
write("fuzz_journal", "error_sample", journal_header() + journal_sample(0, value=5.1, name=2, relative=1,
                                                                          full_scale=52.0, text=b" ERR1 "))


# fuzz_hold_test: a first byte that is even chooses a window over readings, odd a sidecar's
# or a record's text. A window: first and last sample, the allowed change's kind and value,
# a minimum or none, the checkpoints, the interval, then the readings.
def hold_reading(text, unit=0, error=0):
    value = 5.1 if error else float(text[1:])
    return b"\x0c" + struct.pack("<f", value) + text.encode() + bytes([unit + 1, error])


def hold_window(first, last, readings, percent=True, allowed=0.5, checkpoints=4, interval=30):
    head = struct.pack("<BII", 0, first + 2, last + 2) + bytes([percent]) + b"\x0c" + struct.pack("<f", allowed)
    head += b"\x00" + struct.pack("<II", checkpoints - 1, interval + 1) + bytes([len(readings)])
    return head + b"".join(readings)


write("fuzz_hold_test", "window", hold_window(0, -1, [hold_reading("+1.250"), hold_reading("+1.249"),
                                                      hold_reading("+OL   ", error=1), hold_reading("+14.50", unit=2),
                                                      hold_reading("+1.246")]))
write("fuzz_hold_test", "record", b"\x01" + b'{"test_id": "T-1", "notes": "line\\nline"}')
write("fuzz_hold_test", "sidecar", b"\x01" + b"""{"start_time": "10:00:00", "end_time": "10:02:00", "seconds": 120,
 "samples": 5, "errors": 0, "unit": "bar", "start": 1.25, "end": 1.246, "change": -0.004, "change_percent": -0.32,
 "direction": "falling", "rate_per_minute": -0.002, "allowed": 0.00625, "allowed_percent": 0.5, "minimum": null,
 "checkpoints": [{"time": "10:00:30", "value": 1.249, "change": -0.001, "steeper": false, "sample": 1, "seconds": 30},
  {"time": "10:01:00", "value": 1.248, "change": -0.001, "steeper": false, "sample": 2, "seconds": 60}],
 "result": "passed", "reasons": [],
 "window": {"first_sample": 0, "last_sample": 4, "start_sample": 0, "end_sample": 4, "decimals": 3},
 "criteria": {"first_sample": 0, "last_sample": -1, "allowed_kind": "percent", "allowed": 0.5, "minimum": null,
  "checkpoints": 2},
 "record": {"test_id": "T-1", "operator": "A. Operator"}}""")


# fuzz_hold_page: the samples (a count, then each a value, a unit and an error kind), the
# run's name (a count, then its bytes), then a sidecar's text.
def page_reading(value, unit=4, error=0):
    return b"\x0c" + struct.pack("<f", value) + bytes([unit + 1, error])


def page_input(readings, run_name, sidecar):
    return bytes([len(readings)]) + b"".join(readings) + bytes([len(run_name)]) + run_name + sidecar


with open(os.path.join(here, "fuzz_hold_test", "sidecar"), "rb") as f:
    hold_sidecar = f.read()[1:]
write("fuzz_hold_page", "sidecar", page_input([page_reading(50.0 - 0.1 * i) for i in range(5)], b"tank.KvtDat",
                                              hold_sidecar))
write("fuzz_hold_page", "typed_texts", page_input([], "T-17\u202egnp.exe".encode(),
                                                  hold_sidecar.replace(b'"T-1"', b'"T-17\\u202egnp.exe\\u001b[2J"')
                                                  .replace(b'"A. Operator"', b'"' + b"word " * 200 + b'"')))
