#!/usr/bin/env python3
"""Writes a zip whose bytes depend only on the files' contents and one date:
entries sorted by name, every entry stamped SOURCE_DATE_EPOCH, fixed
permissions, no extra fields. Usage: zip-reproducible.py OUT.zip BASE_DIR"""
import os
import sys
import time
import zipfile

out, base = sys.argv[1], sys.argv[2]
epoch = int(os.environ.get("SOURCE_DATE_EPOCH", "315532800"))
# DOS dates start in 1980.
stamp = time.gmtime(max(epoch, 315532800))[:6]
names = []
for folder, dirs, files in os.walk(base):
    for f in files:
        names.append(os.path.relpath(os.path.join(folder, f), os.path.dirname(base)))
with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as z:
    for name in sorted(names):
        info = zipfile.ZipInfo(name.replace(os.sep, "/"), stamp)
        info.external_attr = 0o644 << 16
        info.compress_type = zipfile.ZIP_DEFLATED
        info.create_system = 3
        with open(os.path.join(os.path.dirname(base), name), "rb") as f:
            z.writestr(info, f.read(), compresslevel=9)
