#!/usr/bin/env python3
"""Times numpy's amplitude spectrum of the series read from standard input (little-endian
doubles, the same values the C++ benchmark transforms): abs(rfft(y)) / n over the bins from 0
to half of n, as the program's FourierMagnitudes gives them. Takes the number of timed calls
as its argument (one untimed call goes first) and prints which statistic it reports, then the
minimum and the median time of one call in milliseconds."""
import statistics
import sys
import time

import numpy

calls = int(sys.argv[1]) if len(sys.argv) > 1 else 21
y = numpy.frombuffer(sys.stdin.buffer.read(), dtype="<f8")
n = len(y)
if n == 0 or calls < 1:
    sys.exit("no series or no calls to time")
bins = (n - 1) // 2 + 1


def spectrum():
    return numpy.abs(numpy.fft.rfft(y)[:bins]) / n


spectrum()
times = []
for _ in range(calls):
    start = time.perf_counter()
    spectrum()
    times.append((time.perf_counter() - start) * 1e3)
print("statistic: minimum and median of %d calls, numpy %s" % (calls, numpy.__version__))
print("min_ms %.6f" % min(times))
print("median_ms %.6f" % statistics.median(times))
