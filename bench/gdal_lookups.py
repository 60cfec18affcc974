#!/usr/bin/python3
"""Looks up CPFs in a DBF through GDAL's attribute filter (which uses the
attribute index that `CREATE INDEX` made, when there is one).

  gdal_lookups.py TABLE.dbf CPFS.txt    prints: lookups seconds rows_found
"""
import sys
import time

from osgeo import ogr

ogr.UseExceptions()
ds = ogr.Open(sys.argv[1])
layer = ds.GetLayer(0)
cpfs = [line.strip() for line in open(sys.argv[2]) if line.strip()]
found = 0
start = time.perf_counter()
for cpf in cpfs:
    layer.SetAttributeFilter("CPF = '%s'" % cpf)
    for feature in layer:
        found += 1
elapsed = time.perf_counter() - start
print(len(cpfs), '%.6f' % elapsed, found)
