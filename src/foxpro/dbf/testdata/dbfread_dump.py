#!/usr/bin/python3
"""Prints every live record of a table as python3-dbfread reads it, one line
per field: record ordinal, field name, normalized value (see below). The
engine's fixture test compares its own reading with these lines.

Usage: dbfread_dump.py TABLE.dbf [ENCODING]

Values: N (none), L:T / L:F, D:<decimal> (numbers), DATE:YYYY-MM-DD,
T:YYYY-MM-DD HH:MM:SS.mmm, S:<text> with \\ \\n \\r \\t escaped, B:<hex>.
"""
import codecs
import datetime
import decimal
import sys

import dbfread


def number(x):
    d = decimal.Decimal(repr(x)) if isinstance(x, float) else decimal.Decimal(x)
    text = format(d.normalize(), 'f')
    return '0' if text in ('-0', '') else text


def escape(text):
    return (text.replace('\\', '\\\\').replace('\n', '\\n').replace('\r', '\\r')
            .replace('\t', '\\t'))


def normalize(value):
    if value is None:
        return 'N'
    if isinstance(value, bool):
        return 'L:T' if value else 'L:F'
    if isinstance(value, (int, float, decimal.Decimal)):
        return 'D:' + number(value)
    if isinstance(value, datetime.datetime):
        ms = (value.microsecond + 500) // 1000
        value = value.replace(microsecond=0) + datetime.timedelta(milliseconds=ms)
        return 'T:%s.%03d' % (value.strftime('%Y-%m-%d %H:%M:%S'), value.microsecond // 1000)
    if isinstance(value, datetime.date):
        return 'DATE:' + value.isoformat()
    if isinstance(value, bytes):
        return 'B:' + value.hex().upper()
    return 'S:' + escape(value)


def windows_undefined(error):
    """Reads bytes 0x80-0x9F that a single-byte code page leaves undefined as
    the C1 control of the same number, as Windows and the engine do."""
    bad = error.object[error.start:error.end]
    return ''.join(chr(b) if 0x80 <= b <= 0x9F else '\ufffd' for b in bad), error.end


codecs.register_error('windows_undefined', windows_undefined)


def main():
    encoding = sys.argv[2] if len(sys.argv) > 2 else None
    table = dbfread.DBF(sys.argv[1], encoding=encoding, char_decode_errors='windows_undefined')
    out = sys.stdout
    for ordinal, record in enumerate(table):
        for name, value in record.items():
            if name == '_NullFlags':
                continue
            out.write('%d\t%s\t%s\n' % (ordinal, name, normalize(value)))


if __name__ == '__main__':
    main()
