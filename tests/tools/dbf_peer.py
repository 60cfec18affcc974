#!/usr/bin/python3
"""An independent reader and writer of DBF tables for the interop tests.

Uses Debian's python3-dbf (run it with /usr/bin/python3).

  dbf_peer.py read TABLE.DBF    one JSON object a line: field -> value,
                                plus "_deleted"; dates "YYYYMMDD" or "",
                                numbers as numbers, logicals true/false/null
  dbf_peer.py write TABLE.DBF   a table with every field type, memos and a
                                512-wide character field; the rows written
                                are printed as in `read`
"""
import datetime
import json
import sys

import dbf


def value_of(v):
    if v is None:
        return None
    if isinstance(v, str):
        return v.rstrip(' ')
    if isinstance(v, bool):
        return v
    if isinstance(v, (int, float)):
        return v
    if isinstance(v, (datetime.date, dbf.Date)):
        return v.strftime('%Y%m%d') if v else ''
    if isinstance(v, dbf.Logical) or type(v).__name__ == 'Logical':
        return None if v is dbf.Unknown else bool(v)
    return str(v)


def read(path):
    t = dbf.Table(path, dbf_type='clp')
    t.open(dbf.READ_ONLY)
    try:
        names = t.field_names
        dates = {n for n in names if t.field_info(n)[0] == ord('D')}
        for rec in t:
            row = {}
            for name in names:
                try:
                    v = value_of(rec[name])
                    row[name.upper()] = '' if v is None and name in dates else v
                except Exception as e:  # a value the reader cannot decode
                    row[name.upper()] = 'ERROR: %s' % e
            row['_deleted'] = bool(dbf.is_deleted(rec))
            print(json.dumps(row, ensure_ascii=False))
    finally:
        t.close()


ROWS = [
    ('Atenção ação', 1234.5, -7, datetime.date(2009, 1, 31), True,
     'primeira linha\r\nsegunda linha ç', 'L' * 300 + 'fim', False),
    ('', 0, 0, None, False, '', '', True),
    ('"aspas", vírgula', -0.01, 99999, datetime.date(2008, 12, 1), None,
     'x' * 1500, 'curto', False),
]


def write(path):
    t = dbf.Table(path,
                  'NOME C(30); VALOR N(14,2); QTD N(5,0); DT D; OK L; '
                  'OBS M; LARGO C(512)',
                  dbf_type='clp', codepage='cp850')
    t.open(dbf.READ_WRITE)
    try:
        for *values, deleted in ROWS:
            t.append(tuple(values))
            if deleted:
                dbf.delete(t[-1])
    finally:
        t.close()
    read(path)


if __name__ == '__main__':
    if len(sys.argv) != 3 or sys.argv[1] not in ('read', 'write'):
        sys.stderr.write(__doc__)
        sys.exit(2)
    sys.stdout.reconfigure(encoding='utf-8')
    (read if sys.argv[1] == 'read' else write)(sys.argv[2])
