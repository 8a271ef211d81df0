#!/usr/bin/env python3
"""MP3 files of the kinds that music stores, CD rippers, tag editors and
ffmpeg produce, and the check of what the program made of them.

  tag_corpus.py make FOLDER
      writes the files into FOLDER, with corpus.txt: one line per file, its
      name and the plug-in to convert it through ("-" for none).
  tag_corpus.py check FOLDER OUTPUT...
      compares each OUTPUT ("NAME_out.mp3", in the current folder) with
      FOLDER/NAME.mp3: every ID3v2 frame (mutagen, translate=False, so a
      changed version shows), the APEv2 items, the ID3v1 tag byte for byte,
      and the length that Debian's mpg123 decodes.
"""
import array
import os
import subprocess
import sys

from mutagen.apev2 import APEv2, APENoHeaderError
from mutagen.id3 import (APIC, CHAP, COMM, CTOC, CTOCFlags, ETCO, ID3, ID3NoHeaderError,
                         POPM, PRIV, SYLT, TALB, TCON, TDRC, TIT2, TLEN, TPE1, TPE2, TRCK, TXXX,
                         TYER, UFID, USLT, WXXX, Encoding, PictureType)

RATE = 44100
SECONDS = 3
UNKNOWN_OFFSET = 0xFFFFFFFF
SPEED_PLUGIN = "test_speed_slow"  # plays at 2/3 speed: the output is 3/2 as long
SPEED = 1.5


def run(*command):
    subprocess.run(command, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def cover(folder, name, kilobytes):
    """A JPEG of about that size (noise compresses to about 0.7 byte a pixel)."""
    side = int((kilobytes * 1024 / 0.7) ** 0.5)
    path = os.path.join(folder, name)
    run("convert", "-seed", "7", "-size", f"{side}x{side}", "xc:gray", "+noise", "Random",
        "-quality", "90", path)
    with open(path, "rb") as file:
        return file.read()


def encode(folder, name, *lame_options):
    path = os.path.join(folder, name)
    run("lame", "--silent", "--noreplaygain", *lame_options, os.path.join(folder, "music.wav"), path)
    return path


def music(folder):
    run("ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i",
        f"aevalsrc=0.3*sin(2*PI*440*t)*(1+0.5*sin(2*PI*3*t))|0.3*sin(2*PI*554*t):s={RATE}:d={SECONDS}",
        "-c:a", "pcm_s16le", os.path.join(folder, "music.wav"))


def picture(encoding, kind, desc, data):
    return APIC(encoding=encoding, mime="image/jpeg", type=kind, desc=desc, data=data)


def titled(encoding, title, *frames):
    tags = ID3()
    tags.add(TIT2(encoding=encoding, text=title))
    for frame in frames:
        tags.add(frame)
    return tags


def store_v23(folder, covers):
    """What a music store's ID3v2.3 in UTF-16 holds: text in several scripts,
    lyrics, user text and URL frames, a rating, the length, a front cover."""
    tags = ID3()
    tags.add(TIT2(encoding=Encoding.UTF16, text="Caf\u00e9 cr\u00e8me"))
    tags.add(TPE1(encoding=Encoding.UTF16, text="\u041a\u0438\u043d\u043e"))
    tags.add(TALB(encoding=Encoding.UTF16, text="\u65e5\u672c\u8a9e\u306e\u30a2\u30eb\u30d0\u30e0"))
    tags.add(TRCK(encoding=Encoding.UTF16, text="7/12"))
    tags.add(TYER(encoding=Encoding.UTF16, text="1999"))
    tags.add(TCON(encoding=Encoding.UTF16, text="Rock"))
    tags.add(TLEN(encoding=Encoding.LATIN1, text=str(SECONDS * 1000 + 50)))
    tags.add(COMM(encoding=Encoding.UTF16, lang="eng", desc="", text="n\u00fc \u0436 \u3042"))
    tags.add(USLT(encoding=Encoding.UTF16, lang="eng", desc="", text="First line\nSecond line"))
    tags.add(TXXX(encoding=Encoding.UTF16, desc="MusicBrainz Album Id",
                  text="5a1c2b3d-0000-4000-8000-123456789abc"))
    tags.add(TXXX(encoding=Encoding.UTF16, desc="CATALOGNUMBER", text="VT-0042"))
    tags.add(TXXX(encoding=Encoding.UTF16, desc="replaygain_track_gain", text="-6.20 dB"))
    tags.add(WXXX(encoding=Encoding.UTF16, desc="Shop", url="https://shop.example/album/42"))
    tags.add(POPM(email="user@example.org", rating=196, count=17))
    tags.add(picture(Encoding.UTF16, PictureType.COVER_FRONT, "Front", covers[20]))
    return tags


def tagger_v24(covers):
    """A tag editor's ID3v2.4 in UTF-8: multi-value text, private and
    identifier frames, a cover of over a megabyte."""
    tags = ID3()
    tags.add(TIT2(encoding=Encoding.UTF8, text="\u00c5ngstr\u00f6m \U0001F3B5"))
    tags.add(TPE1(encoding=Encoding.UTF8, text=["Artist A", "Artist B"]))
    tags.add(TPE2(encoding=Encoding.UTF8, text="Various"))
    tags.add(TCON(encoding=Encoding.UTF8, text=["Jazz", "Funk"]))
    tags.add(TDRC(encoding=Encoding.UTF8, text="2021-05-04"))
    tags.add(TXXX(encoding=Encoding.UTF8, desc="MusicBrainz Artist Id", text=["id-1", "id-2"]))
    tags.add(PRIV(owner="WM/MediaClassPrimaryID", data=bytes(range(16))))
    tags.add(UFID(owner="http://musicbrainz.org", data=b"0f1e2d3c-4b5a-6978-8796-a5b4c3d2e1f0"))
    tags.add(picture(Encoding.UTF8, PictureType.COVER_FRONT, "", covers[1100]))
    return tags


def two_pictures(covers):
    return titled(Encoding.UTF16, "Two pictures",
                  picture(Encoding.UTF16, PictureType.COVER_FRONT, "Front", covers[60]),
                  picture(Encoding.UTF16, PictureType.COVER_BACK, "Back", covers[300]))


def large_cover(covers):
    return titled(Encoding.UTF8, "A 1.5 MB cover",
                  picture(Encoding.UTF8, PictureType.COVER_FRONT, "", covers[1600]))


def podcast():
    """Chapters with their titles, synchronised lyrics and event codes: all
    of them point at moments of the audio."""
    tags = ID3()
    tags.add(TIT2(encoding=Encoding.UTF8, text="Episode 1"))
    tags.add(TLEN(encoding=Encoding.LATIN1, text=str(SECONDS * 1000)))
    tags.add(CTOC(element_id="toc", flags=CTOCFlags.TOP_LEVEL | CTOCFlags.ORDERED,
                  child_element_ids=["ch0", "ch1", "ch2"]))
    for i, (start, end) in enumerate([(0, 1000), (1000, 2200), (2200, 3000)]):
        tags.add(CHAP(element_id=f"ch{i}", start_time=start, end_time=end, start_offset=1000 * i,
                      end_offset=1000 * i + 900,
                      sub_frames=[TIT2(encoding=Encoding.UTF8, text=f"Chapter {i + 1}")]))
    tags.add(SYLT(encoding=Encoding.UTF8, lang="eng", format=2, type=1, desc="",
                  text=[("one", 500), ("two", 1500), ("three", 2600)]))
    tags.add(ETCO(format=2, events=[(3, 200), (4, 2800)]))
    return tags


def save_id3v1_only(path, title, genre):
    """ID3v1 alone, as an old ripper writes it (mutagen writes it from ID3v2
    frames; the ID3v2 tag is then removed)."""
    tags = ID3()
    tags.add(TIT2(encoding=Encoding.LATIN1, text=title))
    tags.add(TPE1(encoding=Encoding.LATIN1, text="Old Ripper"))
    tags.add(TALB(encoding=Encoding.LATIN1, text="Tape"))
    tags.add(TYER(encoding=Encoding.LATIN1, text="1997"))
    tags.add(TRCK(encoding=Encoding.LATIN1, text="3"))
    tags.add(COMM(encoding=Encoding.LATIN1, lang="eng", desc="", text="ripped"))
    tags.add(TCON(encoding=Encoding.LATIN1, text=genre))
    tags.save(path, v1=2, v2_version=3)
    ID3(path).delete(path, delete_v1=False, delete_v2=True)


def add_ape(path):
    """foobar2000's APEv2 tag (before the ID3v1 tag at the end)."""
    ape = APEv2()
    ape["Title"] = "APE title \u00e9"
    ape["Artist"] = "APE artist"
    ape["REPLAYGAIN_TRACK_GAIN"] = "-7.11 dB"
    ape["Catalog"] = "CAT-7"
    ape.save(path)


def ffmpeg_file(folder, covers):
    with open(os.path.join(folder, "cover.jpg"), "wb") as file:
        file.write(covers[60])
    path = os.path.join(folder, "ffmpeg.mp3")
    run("ffmpeg", "-v", "error", "-y", "-i", os.path.join(folder, "music.wav"), "-i",
        os.path.join(folder, "cover.jpg"), "-map", "0:a", "-map", "1:v", "-c:a", "libmp3lame",
        "-b:a", "192k", "-c:v", "copy", "-id3v2_version", "3", "-metadata", "title=From ffmpeg",
        "-metadata", "artist=Lavf", "-metadata", "album=Pipeline", "-metadata", "track=1/2",
        "-metadata:s:v", "title=Album cover", "-metadata:s:v", "comment=Cover (front)", path)


def make(folder):
    os.makedirs(folder, exist_ok=True)
    music(folder)
    covers = {kb: cover(folder, f"cover{kb}.jpg", kb) for kb in (20, 60, 300, 1100, 1600)}
    store_v23(folder, covers).save(encode(folder, "store_v23.mp3", "-b", "256"), v2_version=3)
    tagger_v24(covers).save(encode(folder, "tagger_v24.mp3", "-b", "192"), v2_version=4)
    two_pictures(covers).save(encode(folder, "two_pictures.mp3", "-b", "160"), v2_version=3)
    large_cover(covers).save(encode(folder, "cover_1_5mb.mp3", "-b", "128"), v2_version=4)
    store_v23(folder, covers).save(encode(folder, "vbr_xing.mp3", "-V", "2"), v2_version=3)
    tagger_v24(covers).save(encode(folder, "crc.mp3", "-p", "-b", "192"), v2_version=4)
    save_id3v1_only(encode(folder, "ape_id3v1.mp3", "-b", "192"), "APE and ID3v1", "Blues")
    add_ape(os.path.join(folder, "ape_id3v1.mp3"))
    save_id3v1_only(encode(folder, "id3v1_winamp_genre.mp3", "-b", "128"), "Winamp genre",
                    "Synthpop")  # 147: one of Winamp's extensions of the list
    ffmpeg_file(folder, covers)
    encode(folder, "no_tags.mp3", "-b", "128")
    plain = ["store_v23", "tagger_v24", "two_pictures", "cover_1_5mb", "vbr_xing", "crc",
             "ape_id3v1", "id3v1_winamp_genre", "ffmpeg", "no_tags"]
    podcast().save(encode(folder, "podcast_speed.mp3", "-b", "128"), v2_version=4)
    with open(os.path.join(folder, "corpus.txt"), "w") as manifest:
        for name in plain:
            manifest.write(f"{name}.mp3 -\n")
        manifest.write(f"podcast_speed.mp3 {SPEED_PLUGIN}\n")


# --- the check ---------------------------------------------------------------

def decoded_frames(path):
    raw = subprocess.run(["mpg123", "-q", "-s", path], check=True, capture_output=True).stdout
    return len(array.array("h", raw)) // 2


def id3(path):
    try:
        return ID3(path, translate=False, load_v1=False)
    except ID3NoHeaderError:
        return None


def values(frame):
    """What a frame says; the text encoding is TagLib's to choose (it writes a
    2.3 year in Latin-1, for one)."""
    specs = frame._framespec + frame._optionalspec
    found = {s.name: getattr(frame, s.name, None) for s in specs if s.name != "encoding"}
    if "sub_frames" in found:
        found["sub_frames"] = {k: values(v) for k, v in found["sub_frames"].items()}
    return found


def expected(frame, scale, output_ms):
    """The input's frame as the output must carry it."""
    wanted = values(frame)
    if frame.FrameID == "TLEN":
        wanted["text"] = [str(output_ms)]
    elif frame.FrameID == "CHAP":
        wanted.update(start_time=round(frame.start_time * scale),
                      end_time=round(frame.end_time * scale),
                      start_offset=UNKNOWN_OFFSET, end_offset=UNKNOWN_OFFSET)
    elif frame.FrameID == "SYLT":
        wanted["text"] = [(text, round(time * scale)) for text, time in frame.text]
    elif frame.FrameID == "ETCO":
        wanted["events"] = [(kind, round(time * scale)) for kind, time in frame.events]
    return wanted


def close(a, b):
    """Scaled times may differ by a millisecond or so of rounding."""
    if isinstance(a, int) and isinstance(b, int):
        return abs(a - b) <= 3
    if isinstance(a, (list, tuple)) and isinstance(b, (list, tuple)):
        return len(a) == len(b) and all(close(x, y) for x, y in zip(a, b))
    if isinstance(a, dict) and isinstance(b, dict):
        return a.keys() == b.keys() and all(close(a[k], b[k]) for k in a)
    return a == b


def compare_id3v2(source, output, scale, output_ms, problems):
    before, after = id3(source), id3(output)
    if before is None or after is None:
        if (before is None) != (after is None):
            problems.append(f"ID3v2 tag: input {before is not None}, output {after is not None}")
        return
    if before.version != after.version:
        problems.append(f"ID3v2 version {before.version} became {after.version}")
    if set(before.keys()) != set(after.keys()):
        problems.append(f"frames {sorted(before.keys())} became {sorted(after.keys())}")
    for key, frame in before.items():
        if key in after and not close(expected(frame, scale, output_ms), values(after[key])):
            problems.append(f"{key}: {str(values(after[key]))[:300]}\n"
                            f"    wanted {str(expected(frame, scale, output_ms))[:300]}")


def ape_items(path):
    try:
        return {k: (v.kind, bytes(v)) for k, v in APEv2(path).items()}
    except APENoHeaderError:
        return None


def id3v1_block(path):
    with open(path, "rb") as file:
        file.seek(-128, os.SEEK_END)
        block = file.read(128)
    return block if block.startswith(b"TAG") else None


def check_one(folder, output):
    name = output[:-len("_out.mp3")]
    source = os.path.join(folder, name + ".mp3")
    plugin = dict(line.split() for line in open(os.path.join(folder, "corpus.txt")))
    speed = SPEED if plugin[name + ".mp3"] == SPEED_PLUGIN else 1.0
    problems = []
    frames_in, frames_out = decoded_frames(source), decoded_frames(output)
    if speed == 1.0 and frames_in != frames_out:
        problems.append(f"decodes to {frames_out} frames, the input to {frames_in}")
    if speed != 1.0 and abs(frames_out / frames_in - speed) > 0.01:
        problems.append(f"decodes to {frames_out} frames, {frames_out / frames_in:.3f} x the input")
    scale = frames_out / frames_in
    compare_id3v2(source, output, scale, frames_out * 1000 // RATE, problems)
    if ape_items(source) != ape_items(output):
        problems.append(f"APEv2 {ape_items(source)} became {ape_items(output)}")
    if id3v1_block(source) != id3v1_block(output):
        problems.append(f"ID3v1 {id3v1_block(source)} became {id3v1_block(output)}")
    for problem in problems:
        print(f"{name}: {problem}")
    if not problems:
        print(f"{name}: every tag carried, {frames_out} frames")
    return not problems


def main():
    if len(sys.argv) == 3 and sys.argv[1] == "make":
        make(sys.argv[2])
        return 0
    if len(sys.argv) > 3 and sys.argv[1] == "check":
        results = [check_one(sys.argv[2], output) for output in sys.argv[3:]]
        return 0 if all(results) else 1
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main())
