#!/usr/bin/python3
"""Reads a table with an independent reader and compares it with what was
written.

usage: peer_read.py dbfread|dbf TABLE.dbf EXPECTED.json

EXPECTED.json: {"codepage": 1251, "columns": [{"name", "type", "decimals"}],
"rows": [[cell, ...], ...]} where a cell is a string in the normal form below
or null. Prints every difference; exit status 0 when equal, 1 on a
difference, 77 when the reader is not installed.

Normal forms: C and M text (C without trailing blanks); N and F with the
field's decimals; Y with four decimals; B compared as a double; I decimal;
D "YYYY-MM-DD"; T "YYYY-MM-DD HH:MM:SS.mmm"; L "T"/"F".
"""
import datetime
import decimal
import json
import sys


def normal(kind, decimals, value):
    if value is None:
        return None
    if kind == "C":
        return str(value).rstrip(" ")
    if kind == "M":
        return value.decode("latin-1") if isinstance(value, bytes) else str(value)
    if kind in "NF":
        return "%.*f" % (decimals, decimal.Decimal(str(value)))
    if kind == "Y":
        return "%.4f" % decimal.Decimal(str(value))
    if kind == "B":
        return repr(float(value))
    if kind == "I":
        return str(int(value))
    if kind == "L":
        return "T" if value else "F"
    if kind == "D":
        return value.isoformat()
    if kind == "T":
        ms = int(round(value.microsecond / 1000.0))
        base = value.replace(microsecond=0) + datetime.timedelta(milliseconds=ms)
        return base.strftime("%Y-%m-%d %H:%M:%S") + ".%03d" % (ms % 1000)
    raise ValueError("unknown field type " + kind)


def read_dbfread(path, columns):
    try:
        import dbfread
    except ImportError:
        sys.exit(77)
    table = dbfread.DBF(path, char_decode_errors="strict")
    names = [f.name.lower() for f in table.fields if f.type != "0"]
    return names, [[record[f.name] for f in table.fields if f.type != "0"] for record in table]


def read_dbf(path, columns):
    try:
        import dbf
    except ImportError:
        sys.exit(77)
    table = dbf.Table(path)
    table.open(dbf.READ_ONLY)
    try:
        names = [n.lower() for n in table.field_names]
        rows = []
        for record in table:
            # python-dbf has its own null object; None is the normal form.
            rows.append([None if type(record[n]).__name__ == "NullType" else record[n]
                         for n in table.field_names])
        return names, rows
    finally:
        table.close()


def is_empty(value):
    return value is None or value == "" or value == 0 or value is False or \
        (isinstance(value, str) and value.strip() == "")


def main():
    reader, path, expected_path = sys.argv[1:4]
    with open(expected_path, encoding="utf-8") as f:
        expected = json.load(f)
    columns = expected["columns"]
    names, rows = {"dbfread": read_dbfread, "dbf": read_dbf}[reader](path, columns)
    # Only python-dbf reads the _NullFlags bits; dbfread sees a null's stored
    # empty value, so a null cell is only checked for emptiness there.
    # python-dbf takes a field's null bit from its position among all fields
    # rather than among the nullable ones, which agrees with FoxPro only when
    # every field is nullable, as in the tables written for it.
    knows_nulls = reader == "dbf"
    problems = []
    want_names = [c["name"] for c in columns]
    if names != want_names:
        problems.append("field names %r, expected %r" % (names, want_names))
    if len(rows) != len(expected["rows"]):
        problems.append("%d rows, expected %d" % (len(rows), len(expected["rows"])))
    for r, (got_row, want_row) in enumerate(zip(rows, expected["rows"])):
        for c, column in enumerate(columns):
            raw = got_row[c] if c < len(got_row) else None
            want = want_row[c]
            if want is None and not knows_nulls:
                if not is_empty(raw):
                    problems.append("row %d %s: %r for a null" % (r + 1, column["name"], raw))
                continue
            try:
                got = normal(column["type"], column["decimals"], raw)
            except Exception as error:  # a value the reader could not make sense of
                got = "<%s: %r>" % (error, raw)
            if column["type"] == "M" and want == "" and got is None:
                got = ""  # an empty memo has no block; some readers call it None
            if column["type"] == "B" and got is not None and want is not None:
                same = float(got) == float(want)
            else:
                same = got == want
            if not same:
                problems.append("row %d %s: got %r, expected %r" % (r + 1, column["name"], got, want))
    for line in problems[:40]:
        print(line)
    print("%s: %d rows, %d differences" % (reader, len(rows), len(problems)))
    sys.exit(1 if problems else 0)


if __name__ == "__main__":
    main()
