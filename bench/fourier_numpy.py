#!/usr/bin/env python3
"""Times numpy's amplitude spectrum, one call at a time, on the benchmark's request, so that
the C++ benchmark can interleave its own calls with these. Standard input: the number of
values (8 bytes, little-endian), the values (little-endian doubles, the very ones the C++ side
transforms), then one line per request: "t" times one call of abs(rfft(y)) / n over the bins
from 0 to half of n (as the program's FourierMagnitudes gives them) and prints "ms <time>";
"q" or the end of input ends the script. The first line printed says which numpy answers."""
import struct
import sys
import time

import numpy

stdin = sys.stdin.buffer
header = stdin.read(8)
if len(header) != 8:
    sys.exit("no value count")
(n,) = struct.unpack("<q", header)
raw = stdin.read(8 * n) if n > 0 else b""
if n <= 0 or len(raw) != 8 * n:
    sys.exit("no series")
y = numpy.frombuffer(raw, dtype="<f8")
bins = (n - 1) // 2 + 1


def spectrum():
    return numpy.abs(numpy.fft.rfft(y)[:bins]) / n


spectrum()
print("numpy %s" % numpy.__version__, flush=True)
for line in stdin:
    if line.strip() != b"t":
        break
    start = time.perf_counter()
    spectrum()
    print("ms %.6f" % ((time.perf_counter() - start) * 1e3), flush=True)
