#!/usr/bin/env python3
"""From the time-stamped capture of the sound server and the preview
benchmark's events, how long each change took to be heard; prints Markdown.

  preview_latency.py RAW TIMES EVENTS LATENCY_MS

A captured frame's time is the arrival time of its piece less the frames
that came after it in that piece (at 44100 Hz): the moment it left the sink,
plus the capture's own delay, which is at most LATENCY_MS (parec's
--latency-msec). That delay is not subtracted, so every figure is at most
LATENCY_MS too high."""
import array
import bisect
import sys

RATE = 44100
SILENT = 64      # the tone peaks at about 16000 at volume 100
LOUD = 4000
QUIET_RUN = 441  # 10 ms of silence counts as silent


def percentile(values, p):
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(round(p / 100 * (len(ordered) - 1))))]


raw_path, times_path, events_path, latency_ms = sys.argv[1:5]
samples = array.array("h", open(raw_path, "rb").read())
level = [max(abs(samples[2 * k]), abs(samples[2 * k + 1])) for k in range(len(samples) // 2)]
arrivals, ends = [], []
for line in open(times_path):
    when, total = line.split()
    arrivals.append(float(when))
    ends.append(int(total) // 4)
events = [(name, float(at)) for name, at in (line.split() for line in open(events_path))]


def frame_time(k):
    i = bisect.bisect_right(ends, k)
    return arrivals[i] - (ends[i] - k) / RATE


def first_frame_after(t):
    i = bisect.bisect_left(arrivals, t)
    start = ends[i - 1] if i > 0 else 0
    k = start
    while k < len(level) and frame_time(k) < t:
        k += 1
    return k


def first(k, test):
    while k < len(level) and not test(k):
        k += 1
    return k if k < len(level) else None


def silent_from(k):
    return all(v < SILENT for v in level[k:k + QUIET_RUN])


def gaps(start, end):
    """Silences of 3 ms or more between the first and the last sound."""
    loud = [j for j in range(start, end) if level[j] > SILENT]
    if not loud:
        return None
    found, run = [], 0
    for j in range(loud[0], loud[-1]):
        run = run + 1 if level[j] <= SILENT else 0
        if run == 132:
            found.append(j)
    return found


measured = {"mute": [], "unmute": [], "play": [], "stop": []}
whole = {}
for index, (name, at) in enumerate(events):
    k = first_frame_after(at)
    if name in ("whole_play", "whole_end"):
        whole[name] = k
        continue
    if name == "mute":
        found = first(k, lambda j: level[j] < SILENT and silent_from(j))
    elif name == "unmute":
        found = first(k, lambda j: level[j] > LOUD)
    elif name == "play":
        found = first(k, lambda j: level[j] > SILENT)
    else:  # stop: the last sound before the next Play
        until = next((t for n, t in events[index + 1:] if n in ("play", "whole_play")), None)
        end = first_frame_after(until) if until else len(level)
        loud = [j for j in range(k, end) if level[j] > SILENT]
        found = loud[-1] if loud else k
    if found is not None:
        measured[name].append((frame_time(found) - at) * 1000)

titles = {
    "mute": "Volume to 0 → first silent frame",
    "unmute": "Volume to 100 → first loud frame",
    "stop": "Stop → last sound",
    "play": "Play → first sound",
}
print("| change | moves | p50 | p95 | max |")
print("|---|---|---|---|---|")
for name in ["mute", "unmute", "stop", "play"]:
    values = measured[name]
    if values:
        print(f"| {titles[name]} | {len(values)} | {percentile(values, 50):.0f} ms | "
              f"{percentile(values, 95):.0f} ms | {max(values):.0f} ms |")
    else:
        print(f"| {titles[name]} | 0 | – | – | – |")
if "whole_play" in whole:
    found = gaps(whole["whole_play"], whole.get("whole_end", len(level)))
    print()
    if found is None:
        print("The 60 s preview under load: no sound was captured.")
    else:
        print(f"The whole 90 s preview, while LAME's transcoder ran at quality 0 beside it: "
              f"{len(found)} gap{'' if len(found) == 1 else 's'} of 3 ms or more in the captured sound"
              + (" (at " + ", ".join(f"{(j - whole['whole_play']) / RATE:.1f} s" for j in found)
                 + " after Play)." if found else "."))
print()
print(f"Times of the captured frames include the capture's own delay, at most {latency_ms} ms "
      f"(parec's --latency-msec); it is not subtracted, so each figure is at most that much "
      f"too high.")
