"""The loudness values of the tag corpus (ReplayGain in TXXX, RVA2 and
APEv2, iTunes' Sound Check in COMM iTunNORM): the input's own, measured as
it is made, and the check that the output's describe the output, as
ReplayGain 2.0 measures (EBU R128's integrated loudness against -18 LUFS,
the sample peak), by ffmpeg's meter and Debian's mpg123."""
import math
import re
import struct
import subprocess

REFERENCE = -18.0
# What the MP3 coding changes, and ffmpeg's steps of 0.1 LU.
GAIN_TOLERANCE = 0.3
PEAK_TOLERANCE = 0.05  # of the peak
# A plug-in's known level: the gain's change, within this.
LEVEL_TOLERANCE = 0.5
TRACK = {"REPLAYGAIN_TRACK_GAIN", "REPLAYGAIN_TRACK_PEAK"}
ALBUM = {"REPLAYGAIN_ALBUM_GAIN", "REPLAYGAIN_ALBUM_PEAK"}
SOUND_CHECK_WORDS = 10
UNKNOWN_WORDS = (4, 5, 8, 9)


class Loudness:
    def __init__(self, lufs, peaks):
        self.gain = REFERENCE - lufs
        self.peaks = peaks
        self.peak = max(peaks)


def measure(path, samples):
    """ffmpeg's EBU R128 integrated loudness of the file; each channel's
    sample peak of `samples`, its interleaved stereo as decoded."""
    log = subprocess.run(["ffmpeg", "-nostats", "-hide_banner", "-i", path, "-af", "ebur128",
                          "-f", "null", "-"], capture_output=True, text=True, check=True).stderr
    lufs = float(re.findall(r"I:\s+(-?[0-9.]+) LUFS", log)[-1])
    peaks = [max(max(samples[c::2]), -min(samples[c::2])) / 32768 for c in (0, 1)]
    return Loudness(lufs, peaks)


def sound_check(loudness, words=()):
    """iTunNORM's text: the gain of 1000 and of 2500 for both channels, each
    channel's peak; the other words as given."""
    words = list(words)[:SOUND_CHECK_WORDS]
    words += ["00000000"] * (SOUND_CHECK_WORDS - len(words))
    power = 10 ** (-loudness.gain / 10)
    for c in (0, 1):
        words[c] = f"{min(round(1000 * power), 65534):08X}"
        words[2 + c] = f"{min(round(2500 * power), 65534):08X}"
        words[6 + c] = f"{min(round(loudness.peaks[c] * 32768), 32767):08X}"
    return "".join(" " + w for w in words)


def rva2_master(gain, peak):
    """RVA2's master volume: the adjustment in 1/512 dB, a 16-bit peak."""
    return b"\x01" + struct.pack(">hBH", round(gain * 512), 16, min(round(peak * 32768), 65535))


# --- what a tag holds ----------------------------------------------------------

def text_end(data, at, encoding):
    width = 2 if encoding in (1, 2) else 1
    while at + width <= len(data) and data[at:at + width] != bytes(width):
        at += width
    return at


def kind(frame_id, data):
    """"track" or "album" for a loudness frame's plain data, else None; and
    where its value begins, after what stays as it was."""
    if frame_id == b"RVA2":
        end = data.find(b"\x00")
        name = data[:end].decode("latin-1").upper()
        return {"": "track", "TRACK": "track", "ALBUM": "album"}.get(name), end + 1
    if frame_id not in (b"TXXX", b"COMM") or not data or data[0] > 3:
        return None, 0
    start = 1 if frame_id == b"TXXX" else 4
    end = text_end(data, start, data[0])
    raw = data[start:end]
    description = raw.decode({0: "latin-1", 1: "utf-16", 2: "utf-16-be", 3: "utf-8"}[data[0]])
    value_at = end + (2 if data[0] in (1, 2) else 1)
    if frame_id == b"COMM":
        return ("track" if description == "iTunNORM" else None), value_at
    name = description.upper()
    return ("track" if name in TRACK else "album" if name in ALBUM else None), value_at


def mutagen_kind(frame):
    """The same for a frame as mutagen reads it."""
    if frame.FrameID == "COMM":
        return "track" if frame.desc == "iTunNORM" else None
    if frame.FrameID == "RVA2":
        return {"": "track", "TRACK": "track", "ALBUM": "album"}.get(frame.desc.upper())
    if frame.FrameID == "TXXX":
        name = frame.desc.upper()
        return "track" if name in TRACK else "album" if name in ALBUM else None
    return None


def ape_items(block):
    """(key, flags, value, bytes as stored) of each item of an APEv2 tag."""
    footer = block[-32:]
    size, count, flags = struct.unpack("<III", footer[12:24])
    at = 32 if flags & 0x80000000 else 0
    items = []
    for _ in range(count):
        length, item_flags = struct.unpack("<II", block[at:at + 8])
        key_end = block.index(b"\x00", at + 8)
        value = block[key_end + 1:key_end + 1 + length]
        items.append((block[at + 8:key_end].decode("ascii"), item_flags, value,
                      block[at:key_end + 1 + length]))
        at = key_end + 1 + length
    return items


def values(tags, ape_blocks):
    """The loudness values of a file: its ID3v2 tag's as mutagen reads it
    (`tags`) and its APEv2 tags', keyed by where they are and their name."""
    found = {}
    for frame in tags.values() if tags else []:
        if mutagen_kind(frame) is None:
            continue
        if frame.FrameID == "RVA2":
            found[("RVA2", frame.desc.upper() or "TRACK")] = (frame.gain, frame.peak)
        elif frame.FrameID == "COMM":
            found[("iTunNORM",)] = frame.text[0]
        else:
            found[("TXXX", frame.desc.upper())] = frame.text[0]
    for block in ape_blocks:
        for key, flags, value, _ in ape_items(block):
            if key.upper() in TRACK | ALBUM and not flags & 6:
                found[("APE", key.upper())] = value.decode("utf-8")
    return found


# --- the checks -----------------------------------------------------------------

GAIN_FORM = re.compile(r"\s*([+-]?)\d*(?:\.(\d+))?(.*)$", re.S)


def check_gain(before, after, gain, problems, where):
    """`after` holds `gain` in the form of `before`: its sign, decimals, unit."""
    was, now = GAIN_FORM.match(before), GAIN_FORM.match(after)
    decimals = len(was.group(2) or "")
    decimals = 2 if not 1 <= decimals <= 6 else decimals
    number = float(re.match(r"\s*([+-]?[0-9.]+)", after).group(1))
    explicit = was.group(1) != "" or not re.search(r"\d", before)
    if (abs(number - gain) > GAIN_TOLERANCE or len(now.group(2) or "") != decimals or
            now.group(3) != was.group(3) or (number >= 0 and (now.group(1) == "+") != explicit)):
        problems.append(f"{where}: gain {after!r} (was {before!r}), measured {gain:+.2f} dB")


def check_peak(after, peak, problems, where):
    if not re.fullmatch(r"\d+\.\d{6}", after) or abs(float(after) - peak) > PEAK_TOLERANCE * peak:
        problems.append(f"{where}: peak {after!r}, measured {peak:.6f}")


def check_sound_check(before, after, loudness, problems):
    """Its gain and peaks the output's; its unknown words as they were."""
    old = before.split()
    old += ["00000000"] * (SOUND_CHECK_WORDS - len(old))
    words = [int(w, 16) for w in after.split()]
    gains = [-10 * math.log10(w / scale) for w, scale in zip(words[:4], (1000, 1000, 2500, 2500))]
    wrong = (len(words) != SOUND_CHECK_WORDS or
             any(abs(g - loudness.gain) > GAIN_TOLERANCE for g in gains) or
             any(abs(words[6 + c] / 32768 - p) > PEAK_TOLERANCE * p
                 for c, p in enumerate(loudness.peaks)) or
             any(after.split()[i] != old[i] for i in UNKNOWN_WORDS))
    if wrong:
        problems.append(f"iTunNORM {after!r} (was {before!r}), measured gain {loudness.gain:+.2f} "
                        f"dB, peaks {loudness.peaks}")


def figures(key, value):
    """The gain (dB) and the peak that a value gives, None for what it has not."""
    if key[0] == "RVA2":
        return value
    if key == ("iTunNORM",):
        words = [int(w, 16) for w in value.split()]
        return -10 * math.log10(words[0] / 1000), max(words[6:8]) / 32768
    number = float(re.match(r"\s*([+-]?[0-9.]+)", value).group(1))
    return (number, None) if key[1].endswith("GAIN") else (None, number)


def check_level(key, before, after, level, problems):
    """Through a plug-in of a known level, the gain rose by as much as the
    level fell, and the peak fell with it."""
    (gain, peak), (new_gain, new_peak) = figures(key, before), figures(key, after)
    if gain is not None and abs(new_gain - gain + level) > LEVEL_TOLERANCE:
        problems.append(f"{':'.join(key)}: gain {new_gain:+.2f} dB is not {-level:.2f} dB "
                        f"above {gain:+.2f} dB")
    if peak is not None and abs(new_peak / peak - 10 ** (level / 20)) > PEAK_TOLERANCE:
        problems.append(f"{':'.join(key)}: peak {new_peak:.6f} is not {10 ** (level / 20):.3f} "
                        f"of {peak:.6f}")


def check(before, after, loudness, level, problems):
    """The track's values of the input anew in the output, from `loudness`
    measured on the output; the album's gone. `level`: the plug-in's gain
    (dB), by which the track's gain must have changed, or None."""
    for key, value in before.items():
        where = ":".join(key)
        album = key[-1] in ALBUM or key == ("RVA2", "ALBUM")
        if album or (key[0] == "RVA2" and key[1] != "TRACK"):
            if album and key in after:
                problems.append(f"{where}: the album's value is still there")
            continue
        if key not in after:
            problems.append(f"{where}: gone")
            continue
        new = after[key]
        if key[0] == "RVA2":
            if (abs(new[0] - loudness.gain) > GAIN_TOLERANCE or
                    abs(new[1] - loudness.peak) > PEAK_TOLERANCE * loudness.peak):
                problems.append(f"{where}: {new}, measured {loudness.gain:+.2f} dB, "
                                f"{loudness.peak:.6f}")
        elif key == ("iTunNORM",):
            check_sound_check(value, new, loudness, problems)
        elif key[1].endswith("GAIN"):
            check_gain(value, new, loudness.gain, problems, where)
        else:
            check_peak(new, loudness.peak, problems, where)
        if level is not None:
            check_level(key, value, new, level, problems)


def compare_ape(name, before, after, problems):
    """Every item of an APEv2 tag in its order, byte for byte, but the
    ReplayGain values: the track's keep their key and flags (their values:
    check), the album's go. The header and footer stay, but for the size
    and the count of items."""
    wanted = [item for item in ape_items(before) if item[0].upper() not in ALBUM]
    found = ape_items(after)
    if [item[0] for item in wanted] != [item[0] for item in found]:
        problems.append(f"{name}: items {[i[0] for i in wanted]} became {[i[0] for i in found]}")
        return
    for (key, flags, _, stored), (_, out_flags, _, out_stored) in zip(wanted, found):
        if (key.upper() in TRACK and flags != out_flags) or (key.upper() not in TRACK and
                                                              stored != out_stored):
            problems.append(f"{name}: item {key} {out_stored[:60]!r}, wanted {stored[:60]!r}")
    edges = [(before[-32:], after[-32:])]
    if before.startswith(b"APETAGEX"):
        edges.append((before[:32], after[:32]))
    for was, now in edges:
        if was[:12] + was[20:] != now[:12] + now[20:]:
            problems.append(f"{name}: header or footer {now!r}, wanted {was!r}")
