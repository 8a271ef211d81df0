#!/usr/bin/env python3
"""Checks the outputs of the Winamp plug-in conversions with Debian's mpg123:
where each burst begins (the plug-in's timeline) and how loud the output is.
Runs in the test program's build folder; each test case wrote its files into
a folder of its own, named after it."""
import array
import math
import os
import subprocess
import sys

RATE = 44100
THRESHOLD = 4000      # the bursts are a tone of 12000
QUIET_BEFORE = 5000   # frames of quiet before a burst's start
TOLERANCE = 300       # frames: an MP3 granule and some pre-echo


def decode(path):
    raw = subprocess.run(["mpg123", "-q", "-s", path], check=True, capture_output=True).stdout
    samples = array.array("h", raw)
    return samples[0::2], samples[1::2]


def onsets(channel):
    found, last_loud = [], -QUIET_BEFORE
    for i, value in enumerate(channel):
        if abs(value) > THRESHOLD:
            if i - last_loud >= QUIET_BEFORE:
                found.append(i)
            last_loud = i
    return found


def level(channel):
    return math.sqrt(sum(v * v for v in channel) / max(len(channel), 1))


failures = []


def expect(ok, text):
    print(("ok    " if ok else "FAIL  ") + text)
    if not ok:
        failures.append(text)


def expect_timeline(name, source, length, place):
    left, _ = decode(name)
    expect(abs(len(left) - length) <= 1152, f"{name}: {len(left)} frames, expected {length}")
    wanted = [place(t) for t in onsets(source) if place(t) < len(left) - QUIET_BEFORE]
    got = onsets(left)
    expect(len(got) == len(wanted) and all(abs(g - w) <= TOLERANCE for g, w in zip(got, wanted)),
           f"{name}: bursts begin at {got}, expected {wanted}")


def of(case, name):
    return os.path.join("WinampPluginTest." + case, name)


TIMELINE = "ThePluginsTimelineIsTheOutputs"
ANSWERS = "PluginsThatAskWinampGetItsAnswers"
SETTINGS = "APluginFindsItsSettingsAgainOnTheNextLoad"
FAULT = "AFaultWhileConvertingOrPreviewingEndsTheJob"

source, _ = decode(of(TIMELINE, "wa_bursts.mp3"))
n = len(source)
expect(len(onsets(source)) == 12, "the input has its 12 bursts")
expect_timeline(of(TIMELINE, "wa_history.mp3"), source, n, lambda t: t + 4 * 576)
expect_timeline(of(TIMELINE, "wa_speed_slow.mp3"), source, n * 3 // 2, lambda t: t * 3 // 2)
expect_timeline(of(TIMELINE, "wa_speed_fast.mp3"), source, n * 3 // 4, lambda t: t * 3 // 4)
expect_timeline(of(TIMELINE, "wa_lookahead.mp3"), source, n, lambda t: t)

# The look-ahead gives back the input's last burst, which ends with it; the
# echo's tail rings on after the input's end.
MARKED = "EveryFrameTheInputGaveComesOut"
marked, _ = decode(of(MARKED, "wa_marked.mp3"))
held, _ = decode(of(MARKED, "wa_marked_lookahead.mp3"))
got, wanted = onsets(held), onsets(marked)
expect(len(got) == len(wanted) == 10 and abs(got[-1] - wanted[-1]) <= TOLERANCE,
       f"wa_marked_lookahead.mp3: bursts begin at {got}, expected {wanted}")
echo, _ = decode(of(MARKED, "wa_marked_echo.mp3"))
tail = echo[len(marked) + RATE // 10:]
expect(max(map(abs, tail), default=0) > THRESHOLD // 4, "wa_marked_echo.mp3: the echo goes on after the input")

source_level = level(source)
for name in ["wa_version.mp3", "wa_findwinamp.mp3", "wa_embed.mp3", "wa_subclass.mp3"]:
    ratio = level(decode(of(ANSWERS, name))[0]) / source_level
    expect(0.9 < ratio < 1.1, f"{name}: level {ratio:.2f} of the input's")

first = level(decode(of(SETTINGS, "wa_ini_first.mp3"))[0])
second = level(decode(of(SETTINGS, "wa_ini_second.mp3"))[0])
expect(0.9 < first / source_level < 1.1, f"wa_ini_first.mp3: level {first / source_level:.2f}")
expect(0.45 < second / first < 0.55, f"wa_ini_second.mp3: level {second / first:.2f} of the first")

left, right = decode(of("ALibraryOfSeveralModulesLetsTheUserChoose", "wa_modules.mp3"))
expect(level(left) < 100 and 0.9 < level(right) / source_level < 1.1,
       "wa_modules.mp3: module 2 swapped the channels")
# A conversion whose plug-in faulted leaves nothing; the next, through
# another plug-in, is whole.
expect(not os.path.exists(of(FAULT, "wa_fault.mp3")), "wa_fault.mp3: no output after the fault")
left, right = decode(of(FAULT, "wa_after_fault.mp3"))
expect(len(left) == n and level(left) < 100 and 0.9 < level(right) / source_level < 1.1,
       "wa_after_fault.mp3: whole, the channels swapped")
sys.exit(1 if failures else 0)
