#!/usr/bin/env python3
"""Writes a zip whose bytes depend only on the files' contents and one date:
entries stored (a deflate's bytes differ between zlib builds), sorted by
name, every entry stamped SOURCE_DATE_EPOCH, every header field fixed, no
extra fields. Usage: zip-reproducible.py OUT.zip BASE_DIR; the entries are
named BASE_DIR's last part/their path inside it."""
import os
import sys
import time
import zipfile

out, base = sys.argv[1], os.path.normpath(sys.argv[2])  # "dir/" names "dir" too
epoch = int(os.environ.get("SOURCE_DATE_EPOCH", "315532800"))
# DOS dates start in 1980.
stamp = time.gmtime(max(epoch, 315532800))[:6]
top = os.path.dirname(base)
names = []
for folder, dirs, files in os.walk(base):
    for f in files:
        names.append(os.path.relpath(os.path.join(folder, f), top))
with zipfile.ZipFile(out, "w", zipfile.ZIP_STORED) as z:
    for name in sorted(n.replace(os.sep, "/") for n in names):
        info = zipfile.ZipInfo(name, stamp)
        info.compress_type = zipfile.ZIP_STORED
        info.create_system = 3
        info.create_version = info.extract_version = 20
        info.flag_bits = 0
        info.internal_attr = 0
        info.external_attr = 0o644 << 16
        with open(os.path.join(top, name), "rb") as f:
            z.writestr(info, f.read())
