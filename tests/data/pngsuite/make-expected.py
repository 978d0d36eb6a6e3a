#!/usr/bin/env python3
# Packs the suite's expected pixels (json/NAME.json, [r,g,b,a,...]) into expected.bin.gz: per
# file its name, a zero byte, the sample size in bytes (1, or 2 for 16-bit files), a 32-bit
# little-endian sample count and the samples, little-endian. Usage: make-expected.py JSON_DIR
import glob, gzip, json, os, struct, sys

here = os.path.dirname(os.path.abspath(__file__))
out = bytearray()
for path in sorted(glob.glob(os.path.join(here, 'png', '*.png'))):
    name = os.path.basename(path)[:-4]
    source = os.path.join(sys.argv[1], name + '.json')
    if not os.path.exists(source):
        continue  # the corrupt x* files have no expected pixels
    wide = open(path, 'rb').read()[24] == 16
    samples = json.load(open(source))
    out += name.encode() + b'\0' + bytes([2 if wide else 1]) + struct.pack('<I', len(samples))
    out += struct.pack('<%d%s' % (len(samples), 'H' if wide else 'B'), *samples)
with gzip.GzipFile(os.path.join(here, 'expected.bin.gz'), 'wb', mtime=0) as f:
    f.write(out)
