#!/usr/bin/env python3
"""Records everything the sound server plays, like the test command's parec,
and notes when each piece arrived:
`timed_capture.py SINK LATENCY_MS RAW TIMES` (LATENCY_MS is asked of parec). TIMES
gets a line "<CLOCK_MONOTONIC_RAW seconds> <bytes so far>" per piece; Wine's
performance counter runs on the same clock, so a Windows program's events
and the capture can be compared."""
import os
import subprocess
import sys
import time

sink, latency_ms, raw_path, times_path = sys.argv[1:5]
parec = subprocess.Popen(
    ["parec", "-d", sink + ".monitor", "--raw", "--format=s16le", "--rate=44100",
     "--channels=2", f"--latency-msec={latency_ms}"], stdout=subprocess.PIPE)
total = 0
with open(raw_path, "wb") as raw, open(times_path, "w") as times:
    while True:
        piece = os.read(parec.stdout.fileno(), 65536)
        if not piece:
            break
        now = time.clock_gettime(time.CLOCK_MONOTONIC_RAW)
        raw.write(piece)
        total += len(piece)
        times.write(f"{now:.6f} {total}\n")
        raw.flush()
        times.flush()
