#!/usr/bin/python3
"""Compares the rows of tables on the FoxPro side and the SQL side.

The FoxPro side is read with foxsql, the SQL side (an SQLite database) with
the sqlite3 client, so both are read by programs other than the one under
test. Usage:

  table_rows.py FOXSQL compare A B TABLE [--prefix]
      A and B are fox:FOLDER or sql:DATABASE. The table holds the same rows,
      in the same order, on both sides; with --prefix B holds the first N
      rows of A for some N > 0 less than A's count. Prints the row counts.
  table_rows.py FOXSQL count A TABLE
      Prints the number of rows.
  table_rows.py FOXSQL dbf-header FILE
      Prints the record count of a .dbf file; fails unless the file holds
      exactly that many records (plus the end-of-file byte).

Values are compared as the transfers carry them: null and the empty text
are the same (an empty value travels as NULL), a logical matches 1 or 0 (the
SQL side stores BIT) and its own words, and numbers match by value (a
numeric field's trailing fraction zeros are not carried).
"""

import json
import os
import struct
import subprocess
import sys
from decimal import Decimal, InvalidOperation


def parse_csv(text):
    """Parses foxsql's CSV (RFC 4180, CRLF rows). An unquoted empty field is
    None (null); a quoted one is the empty text."""
    rows, row, i, n = [], [], 0, len(text)
    field, quoted, at_start = [], False, True
    while i < n:
        c = text[i]
        if at_start and c == '"':
            quoted, at_start = True, False
            i += 1
            while True:
                if i >= n:
                    raise ValueError("unterminated quoted field")
                if text[i] == '"':
                    if i + 1 < n and text[i + 1] == '"':
                        field.append('"')
                        i += 2
                        continue
                    i += 1
                    break
                field.append(text[i])
                i += 1
            continue
        if c == "," or c == "\r" or c == "\n":
            value = "".join(field)
            row.append(value if (value or quoted) else None)
            field, quoted, at_start = [], False, True
            if c == ",":
                i += 1
                continue
            i += 2 if text.startswith("\r\n", i) else 1
            rows.append(row)
            row = []
            continue
        field.append(c)
        at_start = False
        i += 1
    if field or row:
        value = "".join(field)
        row.append(value if (value or quoted) else None)
        rows.append(row)
    return rows


def read_rows(foxsql, side, table):
    kind, _, where = side.partition(":")
    if kind == "fox":
        result = subprocess.run([foxsql, where, f"SELECT * FROM {table}"], capture_output=True,
                                env=dict(os.environ, LANG="C.UTF-8"))
        if result.returncode != 0:
            sys.exit(f"foxsql failed on {table} in {where}: {result.stderr.decode()}")
        rows = parse_csv(result.stdout.decode("utf-8"))
        return rows[0], rows[1:]
    if kind == "sql":
        quoted = '"' + table.replace('"', '""') + '"'
        result = subprocess.run(["sqlite3", "-json", where, f"SELECT * FROM {quoted} ORDER BY rowid"],
                                capture_output=True)
        if result.returncode != 0:
            sys.exit(f"sqlite3 failed on {table} in {where}: {result.stderr.decode()}")
        text = result.stdout.decode("utf-8").strip()
        objects = json.loads(text) if text else []
        if not objects:
            header = subprocess.run(["sqlite3", where, f"SELECT name FROM pragma_table_info('{table}')"],
                                    capture_output=True, check=True).stdout.decode().split()
            return header, []
        header = list(objects[0].keys())
        return header, [[o[k] for k in header] for o in objects]
    sys.exit(f"unknown side {side}")


def normal(value):
    if value is None or value == "":
        return None
    if value is True or value == "True":
        return Decimal(1)
    if value is False or value == "False":
        return Decimal(0)
    if isinstance(value, (int, float)):
        return Decimal(str(value))
    try:
        return Decimal(value)
    except InvalidOperation:
        return value


def compare(foxsql, a, b, table, prefix):
    header_a, rows_a = read_rows(foxsql, a, table)
    header_b, rows_b = read_rows(foxsql, b, table)
    if [h.lower() for h in header_a] != [h.lower() for h in header_b]:
        sys.exit(f"{table}: columns differ: {header_a} against {header_b}")
    if prefix:
        if not 0 < len(rows_b) < len(rows_a):
            sys.exit(f"{table}: {len(rows_b)} rows are not a part of the {len(rows_a)} source rows")
    elif len(rows_a) != len(rows_b):
        sys.exit(f"{table}: {len(rows_a)} rows against {len(rows_b)}")
    for number, (row_a, row_b) in enumerate(zip(rows_a, rows_b), start=1):
        for column, value_a, value_b in zip(header_a, row_a, row_b):
            if normal(value_a) != normal(value_b):
                sys.exit(f"{table}: row {number}, {column}: {value_a!r} against {value_b!r}")
    print(len(rows_a), len(rows_b))


def dbf_header(path):
    with open(path, "rb") as f:
        head = f.read(12)
    count, header_length, record_length = struct.unpack("<IHH", head[4:12])
    size = os.path.getsize(path)
    body = header_length + count * record_length
    if size not in (body, body + 1):
        sys.exit(f"{path}: {size} bytes, but the header counts {count} records ({body} bytes)")
    print(count)


def main(argv):
    foxsql, command = argv[1], argv[2]
    if command == "compare":
        compare(foxsql, argv[3], argv[4], argv[5], "--prefix" in argv[6:])
    elif command == "count":
        print(len(read_rows(foxsql, argv[3], argv[4])[1]))
    elif command == "dbf-header":
        dbf_header(argv[3])
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv)
