#!/usr/bin/python3
"""Prints the fields of DBF tables as another reader sees them.

  schema_peer.py TABLE.DBF ...   one line a field: FILE NAME TYPE WIDTH DEC,
                                 then one line FILE ROWS n
Uses Debian's python3-dbf (run it with /usr/bin/python3).
"""
import os
import sys

import dbf

for path in sys.argv[1:]:
    t = dbf.Table(path, dbf_type='clp')
    t.open(dbf.READ_ONLY)
    try:
        name = os.path.basename(path)
        for f in t.field_names:
            info = t.field_info(f)
            kind = chr(info[0])
            # In wide text fields the decimals byte is the width's high byte.
            print(name, f.upper(), kind, info[1], 0 if kind == 'C' else info[2])
        print(name, 'ROWS', len(t))
    finally:
        t.close()
