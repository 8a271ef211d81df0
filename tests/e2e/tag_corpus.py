#!/usr/bin/env python3
"""MP3 files of the kinds that music stores, CD rippers, tag editors and
ffmpeg produce, and the check of what the program made of them.

  tag_corpus.py make FOLDER
      writes the files into FOLDER, with corpus.txt: one line per file, its
      name, the plug-in to convert it through ("-" for none) and what the
      test does meanwhile ("vanish": the input is deleted; "damaged": its
      tags cannot be carried, and the user is told; "-": nothing).
  tag_corpus.py check FOLDER OUTPUT...
      compares each OUTPUT ("NAME_out.mp3", in the current folder) with
      FOLDER/NAME.mp3: every ID3v2 frame byte for byte as stored, flags
      included (those that depend on the audio by their values), also as
      mutagen reads them (translate=False, so a changed version shows); the
      blocks after the audio (appended ID3v2, APEv2, Lyrics3 v1 and v2,
      TAG+, ID3v1) in their order, byte for byte; iTunes' gapless facts
      against the output's LAME Info tag; the loudness values against the
      output's loudness (corpus_loudness); and the length that Debian's
      mpg123 decodes.
"""
import array
import functools
import math
import os
import struct
import subprocess
import sys
import zlib

from mutagen.apev2 import APEv2
from mutagen.id3 import (APIC, CHAP, COMM, CTOC, CTOCFlags, ETCO, ID3, ID3NoHeaderError,
                         POPM, PRIV, SYLT, TALB, TCON, TDRC, TIT2, TLEN, TPE1, TPE2, TRCK, TXXX,
                         TYER, UFID, USLT, WFED, WXXX, Encoding, PictureType)

import corpus_loudness

RATE = 44100
SECONDS = 3
UNKNOWN_OFFSET = 0xFFFFFFFF
SPEED_PLUGIN = "test_speed_slow"  # plays at 2/3 speed: the output is 3/2 as long
SPEED = 1.5
ECHO_PLUGIN = "test_echo"  # rings on after the input: longer, on the input's timeline
SLOW_PLUGIN = "test_slow"  # slow, so that the input can be deleted meanwhile
GAIN_PLUGIN = "vellumtone_gain"  # the example effect, set to half the level
GAIN_LEVEL = 50  # percent


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


# --- layouts written byte by byte --------------------------------------------
# What other taggers leave and mutagen does not write: compressed, encrypted
# and flagged frames, an unsynchronised tag, ID3v2.2, a tag appended at the
# end, Lyrics3v2.

def synchsafe(n):
    return bytes([(n >> 21) & 0x7F, (n >> 14) & 0x7F, (n >> 7) & 0x7F, n & 0x7F])


def from_synchsafe(b):
    return (b[0] << 21) | (b[1] << 14) | (b[2] << 7) | b[3]


def frame(version, frame_id, data, flags=0, plain_size=False):
    """plain_size: a 2.4 frame sized as in 2.3, as iTunes 7 and 8 wrote them."""
    if version == 2:
        return frame_id + struct.pack(">I", len(data))[1:] + data
    plain = version == 3 or plain_size
    size = struct.pack(">I", len(data)) if plain else synchsafe(len(data))
    return frame_id + size + struct.pack(">H", flags) + data


def compressed(version, frame_id, data):
    """zlib, after the data's own size (2.3) or its data length indicator (2.4)."""
    if version == 3:
        return frame(3, frame_id, struct.pack(">I", len(data)) + zlib.compress(data), 0x0080)
    return frame(4, frame_id, synchsafe(len(data)) + zlib.compress(data), 0x0008 | 0x0001)


def unsynchronised(data):
    out = bytearray()
    for i, byte in enumerate(data):
        out.append(byte)
        following = data[i + 1] if i + 1 < len(data) else 0
        if byte == 0xFF and (following >= 0xE0 or following == 0):
            out.append(0)
    return bytes(out)


def id3v2(version, frames, flags=0, padding=200):
    """A 2.4 tag flagged unsynchronised (0x80) takes frames unsynchronised
    each: unsynchronised_v24()."""
    footer = bool(flags & 0x10)
    body = b"".join(frames) + (b"" if footer else bytes(padding))
    if version < 4 and flags & 0x80:
        body = unsynchronised(body)
    head = bytes([version, 0, flags]) + synchsafe(len(body))
    return b"ID3" + head + body + (b"3DI" + head if footer else b"")


def latin1(value):
    return b"\x00" + value.encode("latin-1")


def utf16(value):
    return b"\x01" + value.encode("utf-16")


def utf8(value):
    return b"\x03" + value.encode("utf-8")


def id3v1(title, genre):
    def field(value, size):
        return value.encode("latin-1").ljust(size, b"\x00")
    return (b"TAG" + field(title, 30) + field("Raw artist", 30) + field("Raw album", 30) +
            field("2003", 4) + field("by hand", 28) + b"\x00\x05" + bytes([genre]))


def lyrics3(lyrics):
    fields = b"IND00003110" + b"LYR%05d" % len(lyrics) + lyrics + b"ETT00009Raw title"
    block = b"LYRICSBEGIN" + fields
    return block + b"%06d" % len(block) + b"LYRICS200"


def lyrics3_v1(lyrics):
    return b"LYRICSBEGIN" + lyrics + b"LYRICSEND"


def id3v1_extended(title):
    """The enhanced ID3v1 block, just before ID3v1: title, artist and album
    of 60 bytes each, a speed, a genre of 30, start and end times."""
    def field(value, size):
        return value.encode("latin-1").ljust(size, b"\x00")
    return (b"TAG+" + field(title, 60) + field("Extended artist", 60) +
            field("Extended album", 60) + b"\x02" + field("Chiptune", 30) + b"000:05" + b"002:57")


def with_blocks(path, front=b"", end=b""):
    with open(path, "rb") as file:
        audio = file.read()
    with open(path, "wb") as file:
        file.write(front + audio + end)


def compressed_v23(folder):
    """Compressed, flagged (read-only, grouped), encrypted frames; frames of
    2.3 that 2.4 dropped; an MPEG lookup table (which the new audio voids)."""
    lyrics = ("Line of a long song\n" * 40).encode("utf-16")
    frames = [frame(3, b"TIT2", utf16("Compressed 2.3")),
              compressed(3, b"USLT", b"\x01eng" + "".encode("utf-16") + b"\x00\x00" + lyrics),
              compressed(3, b"TXXX", latin1("CATALOGNUMBER") + b"\x00" + b"VT-0099" * 20),
              compressed(3, b"TLEN", latin1("2950")),
              frame(3, b"TDAT", latin1("0405")), frame(3, b"TIME", latin1("1230")),
              frame(3, b"RVAD", b"\x03\x10" + bytes(range(8))),
              frame(3, b"ENCR", b"user@example.org\x00\x80secret"),
              frame(3, b"PRIV", b"\x80" + b"encrypted bytes", 0x0040),
              frame(3, b"TXXX", b"\x07" + latin1("Grouped") + b"\x00read only", 0x2000 | 0x0020),
              frame(3, b"MLLT", bytes([0, 1, 0, 0, 100, 0, 0, 100, 8, 8]) + bytes(range(20)))]
    with_blocks(encode(folder, "compressed_v23.mp3", "-b", "192"), id3v2(3, frames))


def compressed_v24(folder):
    """Compressed frames with a data length indicator, a user text without
    description, a frame that asks to go when the tag changes, an index of
    the audio's seek points."""
    frames = [frame(4, b"TIT2", utf8("Compressed 2.4 \u00e9")),
              compressed(4, b"USLT", b"\x03eng\x00" + ("Zeile \u00fc\n" * 60).encode("utf-8")),
              compressed(4, b"TXXX", utf8("MusicBrainz Album Id") + b"\x00" +
                         b"5a1c2b3d-0000-4000-8000-123456789abc"),
              compressed(4, b"TLEN", latin1("3100")),
              frame(4, b"TXXX", utf8("") + b"\x00" + "only a value".encode("utf-8")),
              frame(4, b"TCOP", utf8("2024 Someone"), 0x4000),
              frame(4, b"ASPI", struct.pack(">IIHB", 0, 60000, 4, 8) + bytes([0, 64, 128, 192]))]
    with_blocks(encode(folder, "compressed_v24.mp3", "-b", "160"), id3v2(4, frames))


def unsync_v23(folder, covers):
    """Unsynchronised as a whole, as some older taggers wrote 2.3 (the JPEG's
    0xFF bytes need it)."""
    frames = [frame(3, b"TIT2", latin1("Unsynchronised")),
              frame(3, b"APIC", latin1("image/jpeg") + b"\x00\x03\x00" + covers[20]),
              frame(3, b"TXXX", latin1("ff") + b"\x00\xff\xe0\xff\x00\xff")]
    with_blocks(encode(folder, "unsync_v23.mp3", "-b", "128"), id3v2(3, frames, flags=0x80))


def version2(folder, covers):
    """ID3v2.2, as old iTunes wrote it: three-letter frames, PIC."""
    frames = [frame(2, b"TT2", latin1("Version 2.2")), frame(2, b"TP1", utf16("\u00c4rtist")),
              frame(2, b"TYE", latin1("1998")), frame(2, b"TLE", latin1("2900")),
              frame(2, b"COM", b"\x00eng\x00" + b"old comment"),
              frame(2, b"TXX", latin1("iTunNORM") + b"\x00 0000031A 00000000"),
              frame(2, b"PIC", b"\x00JPG\x03\x00" + covers[20])]
    with_blocks(encode(folder, "version2.mp3", "-b", "128"), id3v2(2, frames))


def appended_v24(folder):
    """A 2.4 tag at the start that points with SEEK at a second one after
    the audio (with its footer), and ID3v1 behind that."""
    path = encode(folder, "appended_v24.mp3", "-b", "128")
    appended = id3v2(4, [frame(4, b"TXXX", utf8("Where") + b"\x00at the end"),
                         frame(4, b"COMM", b"\x03eng\x00appended comment"),
                         frame(4, b"TLEN", latin1("3000"))], flags=0x10)
    front = id3v2(4, [frame(4, b"TIT2", utf8("Appended")),
                      frame(4, b"SEEK", struct.pack(">I", os.path.getsize(path)))])
    with_blocks(path, front, appended + id3v1("Appended v1", 13))


def lyrics3_ape(folder):
    """foobar2000's APEv2, then Lyrics3v2 (as old lyrics plug-ins added it)
    before the ID3v1 tag."""
    path = encode(folder, "lyrics3_ape.mp3", "-b", "128")
    with_blocks(path, id3v2(3, [frame(3, b"TIT2", latin1("Lyrics3"))]))
    add_ape(path)
    with_blocks(path, b"", lyrics3(b"[00:01]Hello\r\n[00:02]World") + id3v1("Lyrics3 v1", 17))


def itunes_v24(folder, covers):
    """iTunes 7 and 8: an ID3v2.4 tag whose frame sizes are plain 32-bit
    numbers, as in 2.3 (a 300-byte comment and a 78 KB cover read wrong as
    synchsafe ones)."""
    comment = b"\x00eng\x00" + (b"A comment of three hundred bytes. " * 9)[:295]
    frames = [frame(4, b"TIT2", latin1("iTunes 8"), plain_size=True),
              frame(4, b"COMM", comment, plain_size=True),
              frame(4, b"TPE1", latin1("iTunes artist"), plain_size=True),
              frame(4, b"APIC", latin1("image/jpeg") + b"\x00\x03\x00" + covers[78],
                    plain_size=True)]
    with_blocks(encode(folder, "itunes_v24.mp3", "-b", "128"), id3v2(4, frames))


def padded_ids(folder, covers):
    """iTunes 8.1: ID3v2.3 frames under ID3v2.2 names padded with a NUL, the
    first of them before any other frame; after the last frame, bytes that
    are neither a frame nor padding."""
    frames = [frame(3, b"TT2\x00", latin1("Padded names")), frame(3, b"TCP\x00", latin1("1")),
              frame(3, b"TPE1", latin1("Padded artist")), frame(3, b"TALB", latin1("Padded album")),
              frame(3, b"APIC", latin1("image/jpeg") + b"\x00\x03\x00" + covers[20]),
              b"\x01\x02 not a frame \xff\xfe"]
    with_blocks(encode(folder, "padded_ids.mp3", "-b", "128"), id3v2(3, frames))


def lyrics3_v1_file(folder):
    """Lyrics3 v1 between the audio and ID3v1, as old lyrics plug-ins wrote it."""
    path = encode(folder, "lyrics3_v1.mp3", "-b", "128")
    with_blocks(path, id3v2(3, [frame(3, b"TIT2", latin1("Lyrics3 v1"))]),
                lyrics3_v1(b"[00:01]Old\r\n[00:02]Lyrics") + id3v1("Lyrics3 v1", 17))


def damaged_ape(folder):
    """An APEv2 footer whose size claims 300 MB: never read, and the user is
    told that the tags could not be copied; the audio is kept."""
    path = encode(folder, "damaged_ape.mp3", "-b", "128")
    with_blocks(path, id3v2(3, [frame(3, b"TIT2", latin1("Damaged APE"))]))
    add_ape(path)
    with open(path, "r+b") as file:
        file.seek(-32 + 12, os.SEEK_END)
        file.write(struct.pack("<I", 300 << 20))


def extended_id3v1(folder):
    """APEv2, then the enhanced ID3v1 block TAG+, Lyrics3v2 after it, and ID3v1."""
    path = encode(folder, "tag_plus.mp3", "-b", "128")
    with_blocks(path, id3v2(3, [frame(3, b"TIT2", latin1("TAG+"))]))
    add_ape(path)
    with_blocks(path, b"", id3v1_extended("An extended title longer than thirty letters") +
                lyrics3(b"[00:01]After TAG+") + id3v1("TAG+ and ID3v1", 12))


def appended_no_footer(folder):
    """A tag appended after the audio without a footer (found by its header,
    which the front tag's SEEK names), then ID3v1."""
    path = encode(folder, "appended_no_footer.mp3", "-b", "128")
    appended = id3v2(4, [frame(4, b"TXXX", utf8("Where") + b"\x00after the audio"),
                         frame(4, b"COMM", b"\x03eng\x00no footer")], padding=30)
    front = id3v2(4, [frame(4, b"TIT2", utf8("No footer")),
                      frame(4, b"SEEK", struct.pack(">I", os.path.getsize(path)))])
    with_blocks(path, front, appended + id3v1("No footer", 13))


def unsynchronised_v24(folder):
    """ID3v2.4 unsynchronised in its header: every frame's data is; the
    chapter does not say so itself, the others do. The chapter's title
    (UTF-16 "\u00ff" is FF 00) and its second sub-frame read right only
    once it is undone; SEEK points at a tag appended with its footer."""
    path = encode(folder, "unsync_v24.mp3", "-b", "128")
    sub_frames = (frame(4, b"TIT2", utf16("Chapter \u00ff\u00ff")) +
                  frame(4, b"TIT3", utf16("after \u00ff")))
    chapter = b"ch0\x00" + struct.pack(">IIII", 0, 1500, 0, 9000) + sub_frames
    own = 0x0002

    def unsynced(frame_id, data, flags=own):
        return frame(4, frame_id, unsynchronised(data), flags)
    appended = id3v2(4, [frame(4, b"TXXX", utf8("Appended") + b"\x00behind SEEK")], flags=0x10)
    front = id3v2(4, [unsynced(b"TIT2", utf16("Unsynchronised \u00ff")),
                      unsynced(b"TLEN", latin1("3000")),
                      unsynced(b"CHAP", chapter, 0),
                      unsynced(b"SEEK", struct.pack(">I", os.path.getsize(path)))], flags=0x80)
    with_blocks(path, front, appended + id3v1("Unsync 2.4", 8))


GAPLESS_INPUT = " 00000000 00000840 000001CC 0000000000020400 00000000 00010000" + " 00000000" * 6


def gapless(folder):
    """iTunes' gapless facts of the input (AAC's delay of 2112 samples), a
    gapless album's flag and a loudness figure, through a tempo plug-in."""
    def comment(desc, text):
        return frame(3, b"COMM", latin1("eng" + desc) + b"\x00" + text.encode("latin-1"))
    frames = [frame(3, b"TIT2", latin1("Gapless")),
              comment("iTunSMPB", GAPLESS_INPUT),
              comment("iTunPGAP", "1"),
              comment("iTunNORM", " 0000031A 00000000 00001234 00000000")]
    with_blocks(encode(folder, "itunsmpb_speed.mp3", "-b", "128"), id3v2(3, frames))


def mutagen_v24(folder):
    """A user text without description in UTF-8, and WFED as mutagen writes
    it: a URL, without an encoding byte."""
    tags = titled(Encoding.UTF8, "Podcast feed",
                  TXXX(encoding=Encoding.UTF8, desc="", text="value without description"),
                  WFED(url="https://podcast.example/feed.xml"))
    tags.save(encode(folder, "txxx_wfed_v24.mp3", "-b", "128"), v2_version=4)


def replaygain(folder):
    """Every kind of loudness value, the input's own as measured: ReplayGain
    in TXXX (the gain's description in UTF-16, the peak compressed), of the
    album too, RVA2 of the track and of the album, APEv2's items, iTunes'
    Sound Check; converted through the gain plug-in at half the level."""
    path = encode(folder, "replaygain_half.mp3", "-b", "192")
    measured = corpus_loudness.measure(path, decoded(path))
    gain, peak = f"{measured.gain:+.2f} dB", f"{measured.peak:.6f}"

    def user_text(description, value):
        return latin1(description) + b"\x00" + value.encode("latin-1")
    frames = [frame(4, b"TIT2", utf8("ReplayGain")),
              frame(4, b"TXXX", utf16("REPLAYGAIN_TRACK_GAIN") + b"\x00\x00" + gain.encode("utf-16")),
              compressed(4, b"TXXX", user_text("REPLAYGAIN_TRACK_PEAK", peak)),
              frame(4, b"TXXX", user_text("replaygain_album_gain", "-4.10 dB")),
              frame(4, b"TXXX", user_text("REPLAYGAIN_ALBUM_PEAK", "0.950000")),
              frame(4, b"TXXX", user_text("REPLAYGAIN_REFERENCE_LOUDNESS", "89.0 dB")),
              frame(4, b"RVA2", b"track\x00" + corpus_loudness.rva2_master(measured.gain, measured.peak)),
              frame(4, b"RVA2", b"album\x00" + corpus_loudness.rva2_master(-4.1, 0.95)),
              frame(4, b"COMM", latin1("eng" + "iTunNORM") + b"\x00" +
                    corpus_loudness.sound_check(measured).encode("latin-1"))]
    with_blocks(path, id3v2(4, frames))
    ape = APEv2()
    ape["Title"] = "ReplayGain"
    ape["REPLAYGAIN_TRACK_GAIN"] = gain
    ape["REPLAYGAIN_TRACK_PEAK"] = peak
    ape["REPLAYGAIN_ALBUM_GAIN"] = "-4.10 dB"
    ape["REPLAYGAIN_ALBUM_PEAK"] = "0.950000"
    ape.save(path)
    with_blocks(path, b"", id3v1("ReplayGain", 12))


def dangling_seek(folder):
    """A 2.4 tag whose SEEK points at a tag appended after the audio that
    holds only indexes of the input's audio bytes (MLLT, ASPI), which the
    output does not carry: the output has no appended tag, and no SEEK."""
    path = encode(folder, "dangling_seek.mp3", "-b", "128")
    appended = id3v2(4, [frame(4, b"MLLT", bytes([0, 1, 0, 0, 100, 0, 0, 100, 8, 8]) + bytes(20)),
                         frame(4, b"ASPI", struct.pack(">IIHB", 0, 60000, 2, 8) + bytes([0, 128]))],
                     flags=0x10)
    front = id3v2(4, [frame(4, b"TIT2", utf8("Dangling SEEK")),
                      frame(4, b"SEEK", struct.pack(">I", os.path.getsize(path)))])
    with_blocks(path, front, appended + id3v1("Dangling SEEK", 12))


def make(folder):
    os.makedirs(folder, exist_ok=True)
    music(folder)
    covers = {kb: cover(folder, f"cover{kb}.jpg", kb) for kb in (20, 60, 78, 300, 1100, 1600)}
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
    compressed_v23(folder)
    compressed_v24(folder)
    unsync_v23(folder, covers)
    version2(folder, covers)
    appended_v24(folder)
    lyrics3_ape(folder)
    mutagen_v24(folder)
    itunes_v24(folder, covers)
    padded_ids(folder, covers)
    lyrics3_v1_file(folder)
    extended_id3v1(folder)
    appended_no_footer(folder)
    unsynchronised_v24(folder)
    dangling_seek(folder)
    damaged_ape(folder)
    plain = ["store_v23", "tagger_v24", "two_pictures", "cover_1_5mb", "vbr_xing", "crc",
             "ape_id3v1", "id3v1_winamp_genre", "ffmpeg", "no_tags", "compressed_v23",
             "compressed_v24", "unsync_v23", "version2", "appended_v24", "lyrics3_ape",
             "txxx_wfed_v24", "itunes_v24", "padded_ids", "lyrics3_v1", "tag_plus",
             "appended_no_footer", "unsync_v24", "dangling_seek"]
    # Deleted while it is converted, slowly.
    store_v23(folder, covers).save(encode(folder, "vanishing.mp3", "-b", "128"), v2_version=3)
    podcast().save(encode(folder, "podcast_speed.mp3", "-b", "128"), v2_version=4)
    podcast().save(encode(folder, "podcast_echo.mp3", "-b", "128"), v2_version=4)
    gapless(folder)
    replaygain(folder)
    with open(os.path.join(folder, "corpus.txt"), "w") as manifest:
        for name in plain:
            manifest.write(f"{name}.mp3 - -\n")
        manifest.write("damaged_ape.mp3 - damaged\n")
        manifest.write(f"vanishing.mp3 {SLOW_PLUGIN} vanish\n")
        manifest.write(f"podcast_speed.mp3 {SPEED_PLUGIN} -\n")
        manifest.write(f"podcast_echo.mp3 {ECHO_PLUGIN} -\n")
        manifest.write(f"itunsmpb_speed.mp3 {SPEED_PLUGIN} -\n")
        manifest.write(f"replaygain_half.mp3 {GAIN_PLUGIN} level{GAIN_LEVEL}\n")


# --- the check ---------------------------------------------------------------

# Decoders give back this many samples of their own before the encoder's
# first (mpg123 skips them with the delay of LAME's Info tag); iTunSMPB
# counts both.
DECODER_DELAY = 529


@functools.lru_cache(maxsize=None)
def decoded(path):
    """The file's interleaved stereo as Debian's mpg123 decodes it."""
    raw = subprocess.run(["mpg123", "-q", "-s", path], check=True, capture_output=True).stdout
    return array.array("h", raw)


def decoded_frames(path):
    return len(decoded(path)) // 2


def lame_delay_and_padding(data, audio_start):
    """The encoder's delay and padding as LAME's Info tag, in the first
    audio frame, gives them."""
    tag = max(data.find(b"Info", audio_start, audio_start + 64),
              data.find(b"Xing", audio_start, audio_start + 64))
    flags = struct.unpack(">I", data[tag + 4:tag + 8])[0]
    lame = tag + 8 + 4 * (flags & 1) + 4 * (flags >> 1 & 1) + 100 * (flags >> 2 & 1) + 4 * (flags >> 3 & 1)
    if data[lame:lame + 4] != b"LAME":
        return None
    d = data[lame + 21:lame + 24]
    return (d[0] << 4) | (d[1] >> 4), ((d[1] & 0x0F) << 8) | d[2]


class Output:
    """What the conversion made of the audio: how the input's moments moved
    (scale), the output's length, and the gapless facts from its Info tag."""

    def __init__(self, scale, frames_out, frames_in, data, audio_start):
        self.scale = scale
        self.ms = frames_out * 1000 // RATE
        self.frames = frames_out
        self.length_changed = frames_out != frames_in
        self.lame = lame_delay_and_padding(data, audio_start)

    def gapless_text(self, text):
        """iTunSMPB for the output: its delay and padding as decoders see
        them, its length; the words after those as the input had them."""
        delay, padding = self.lame
        words = text.split()
        return "".join(" " + w for w in ["00000000", f"{delay + DECODER_DELAY:08X}",
                                          f"{padding - DECODER_DELAY:08X}",
                                          f"{self.frames:016X}"] + words[4:])


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


def expected(frame, out):
    """The input's frame as the output must carry it."""
    wanted = values(frame)
    scale = out.scale
    if frame.FrameID == "TLEN":
        wanted["text"] = [str(out.ms)]
    elif frame.FrameID == "CHAP":
        wanted.update(start_time=round(frame.start_time * scale),
                      end_time=round(frame.end_time * scale),
                      start_offset=UNKNOWN_OFFSET, end_offset=UNKNOWN_OFFSET)
    elif frame.FrameID == "SYLT":
        wanted["text"] = [(text, round(time * scale)) for text, time in frame.text]
    elif frame.FrameID == "ETCO":
        wanted["events"] = [(kind, round(time * scale)) for kind, time in frame.events]
    elif frame.FrameID == "COMM" and frame.desc == "iTunSMPB":
        wanted["text"] = [out.gapless_text(frame.text[0])]
    return wanted


def voided(key, out):
    """The gapless album's flag goes when the length changed."""
    return key.startswith("COMM:iTunPGAP") and out.length_changed


def close(a, b):
    """Scaled times may differ by a millisecond or so of rounding."""
    if isinstance(a, int) and isinstance(b, int):
        return abs(a - b) <= 3
    if isinstance(a, (list, tuple)) and isinstance(b, (list, tuple)):
        return len(a) == len(b) and all(close(x, y) for x, y in zip(a, b))
    if isinstance(a, dict) and isinstance(b, dict):
        return a.keys() == b.keys() and all(close(a[k], b[k]) for k in a)
    return a == b


def compare_id3v2(source, output, out, problems):
    """As mutagen reads them; 2.2, whose frames mutagen names by version,
    and the frames that point into the file are the raw check's."""
    before, after = id3(source), id3(output)
    if before is None or after is None:
        if (before is None) != (after is None):
            problems.append(f"ID3v2 tag: input {before is not None}, output {after is not None}")
        return
    if before.version[1] == 2:
        return
    if before.version != after.version:
        problems.append(f"ID3v2 version {before.version} became {after.version}")
    loudness = {key: corpus_loudness.mutagen_kind(frame) for key, frame in before.items()}
    wanted = {key for key in before.keys()
              if key[:4] not in DROPPED | {"SEEK"} and not voided(key, out) and
              loudness[key] != "album"}
    found = {key for key in after.keys() if key[:4] != "SEEK"}
    if wanted != found:
        problems.append(f"frames {sorted(wanted)} became {sorted(found)}")
    for key, frame in before.items():
        if loudness[key] == "track":
            continue  # check_loudness
        if key in wanted and key in after and not close(expected(frame, out), values(after[key])):
            problems.append(f"{key}: {str(values(after[key]))[:300]}\n"
                            f"    wanted {str(expected(frame, out))[:300]}")


# --- the check byte for byte --------------------------------------------------

# Indexes of the input's audio bytes, which the output's audio voids.
DROPPED = {"MLLT", "ASPI"}
# Frames that point at moments of the audio: values compared by mutagen.
TIMED = {"CHAP", "SYLT", "ETCO"}
VERSION2_NAMES = {
    b"TT2": b"TIT2", b"TP1": b"TPE1", b"TYE": b"TYER", b"TLE": b"TLEN", b"COM": b"COMM",
    b"TXX": b"TXXX", b"PIC": b"APIC"}
# How far back an appended ID3v2 tag without a footer is looked for.
FOOTERLESS_REACH = 4 << 20


def footerless_id3v2(data, start, at):
    """The size of the one ID3v2.3 or 2.4 tag without a footer whose header
    gives it exactly the room up to `at`; None for none, or for several."""
    found = []
    where = data.find(b"ID3", max(start, at - FOOTERLESS_REACH), at)
    while where >= 0:
        head = data[where:where + 10]
        size = 10 + from_synchsafe(head[6:10]) if len(head) == 10 else -1
        if (head[3] in (3, 4) and not (head[3] == 4 and head[5] & 0x10) and
                all(b < 0x80 for b in head[6:10]) and size == at - where):
            found.append(size)
        where = data.find(b"ID3", where + 1, at)
    return found[0] if len(found) == 1 else None


def blocks(data):
    """The ID3v2 tag at the start, and the blocks after the audio in their
    order: (kind, bytes), kind ID3v2, APE, LYRICS3, TAG+ or ID3v1."""
    front = []
    if data[:3] == b"ID3":
        size = 10 + from_synchsafe(data[6:10]) + (10 if data[3] == 4 and data[5] & 0x10 else 0)
        front = [("ID3v2", data[:size])]
    start = len(front[0][1]) if front else 0
    end, at = [], len(data)
    while True:
        if at == len(data) and data[at - 128:at - 125] == b"TAG":
            size, kind = 128, "ID3v1"
        elif data[at - 9:at] == b"LYRICS200":
            size, kind = int(data[at - 15:at - 9]) + 15, "LYRICS3"
        elif data[at - 9:at] == b"LYRICSEND":
            size, kind = at - data.rfind(b"LYRICSBEGIN", at - 5120, at), "LYRICS3"
        elif data[at - 32:at - 24] == b"APETAGEX":
            footer = data[at - 32:at]
            size = struct.unpack("<I", footer[12:16])[0]
            size += 32 if struct.unpack("<I", footer[20:24])[0] & 0x80000000 else 0
            kind = "APE"
        elif data[at - 10:at - 7] == b"3DI":
            size, kind = 20 + from_synchsafe(data[at - 4:at]), "ID3v2"
        elif data[at - 227:at - 223] == b"TAG+":
            size, kind = 227, "TAG+"
        elif footerless_id3v2(data, start, at):
            size, kind = footerless_id3v2(data, start, at), "ID3v2"
        else:
            return front, end
        end.insert(0, (kind, data[at - size:at]))
        at -= size


def is_frame_id(frame_id, version):
    """Letters and digits; in 2.3 and 2.4 also a 2.2 name padded with a NUL."""
    if version > 2 and frame_id[3:] == b"\x00":
        frame_id = frame_id[:3]
    return frame_id.isalnum() and frame_id.upper() == frame_id


def walk(body, at, version, plain):
    """(id, flags, data) of each frame from `at`, and where the walk ended."""
    found = []
    head, id_size = (6, 3) if version == 2 else (10, 4)
    while at + head <= len(body) and is_frame_id(body[at:at + id_size], version):
        frame_id = body[at:at + id_size]
        if version == 2:
            size, frame_flags = struct.unpack(">I", b"\x00" + body[at + 3:at + 6])[0], 0
        else:
            raw = body[at + 4:at + 8]
            size = struct.unpack(">I", raw)[0] if version == 3 or plain else from_synchsafe(raw)
            frame_flags = struct.unpack(">H", body[at + 8:at + 10])[0]
        if at + head + size > len(body):
            break
        found.append((frame_id, frame_flags, body[at + head:at + head + size]))
        at += head + size
    return found, at


def frames(tag):
    """Version and frames of an ID3v2 tag: (id, flags, data) as stored, the
    whole tag's unsynchronisation undone; 2.4 frame sizes read as iTunes
    wrote them (plain) where only that reading ends on padding or the end."""
    version, flags = tag[3], tag[5]
    body = tag[10:10 + from_synchsafe(tag[6:10])]
    if version < 4 and flags & 0x80:
        body = body.replace(b"\xff\x00", b"\xff")
    at = 0
    if version > 2 and flags & 0x40:
        at = 4 + struct.unpack(">I", body[:4])[0] if version == 3 else from_synchsafe(body[:4])
    found, end = walk(body, at, version, False)
    if version == 4 and body[end:].strip(b"\x00"):
        plain, plain_end = walk(body, at, version, True)
        if not body[plain_end:].strip(b"\x00"):
            found, end = plain, plain_end
    return version, flags, found, body[end:]


def plain_data(version, tag_flags, frame_flags, data):
    """A 2.4 frame's data with its unsynchronisation (its own, or the whole
    tag's as its header says) undone."""
    if version == 4 and (frame_flags & 0x0002 or tag_flags & 0x80):
        return data.replace(b"\xff\x00", b"\xff")
    return data


def unpacked(version, tag_flags, frame_flags, data):
    """A frame's data as written: unsynchronisation undone, the group byte
    and the sizes skipped, decompressed; None when it is encrypted."""
    data = plain_data(version, tag_flags, frame_flags, data)
    if version == 3:
        packed, encrypted = frame_flags & 0x0080, frame_flags & 0x0040
        skip = (4 if packed else 0) + (1 if frame_flags & 0x0020 else 0)
    elif version == 4:
        packed, encrypted = frame_flags & 0x0008, frame_flags & 0x0004
        skip = (1 if frame_flags & 0x0040 else 0) + (4 if frame_flags & 0x0001 else 0)
    else:
        return data
    if encrypted:
        return None
    return zlib.decompress(data[skip:]) if packed else data[skip:]


def loudness_kind(version, tag_flags, frame_id, frame_flags, data):
    """"track", "album" or None (corpus_loudness.kind), and the frame's
    data as written up to its value."""
    plain = unpacked(version, tag_flags, frame_flags, data)
    if plain is None:
        return None, b""
    kind, value_at = corpus_loudness.kind(frame_id, plain)
    return kind, plain[:value_at]


def carries_nothing(tag):
    """An ID3v2 tag of nothing but indexes of the audio, which the output
    does not carry."""
    _, _, found, rest = frames(tag)
    return all(f[0].decode() in DROPPED for f in found) and not rest.strip(b"\x00")


def text_value(data):
    return data[1:].decode("utf-16" if data[0] == 1 else "latin-1").strip("\x00")


def is_comment(data, description):
    return data[4:].startswith(description.encode("latin-1") + b"\x00")


def compare_frames(name, before, after, out, to_next_tag, problems):
    """Each frame of the input's tag `before`, in its order, where the output's
    tag `after` has it: the same bytes and flags, but for those the audio
    changes; after the last frame, the same bytes unless they are padding.
    2.2 frames under their 2.3 names. In a 2.4 tag unsynchronised in its
    header, what is written anew says so itself too. The album's loudness
    values go, the track's keep all before their value; SEEK goes when the
    output has no tag after its audio."""
    version, tag_flags, wanted, rest = frames(before)
    out_version, out_tag_flags, found, out_rest = frames(after)
    if out_version != (3 if version == 2 else version):
        problems.append(f"{name}: version {version} became {out_version}")
    if version == 2:
        wanted = [(VERSION2_NAMES[i], 0, d) for i, _, d in wanted]
    wanted = [(f, loudness_kind(version, tag_flags, *f)) for f in wanted]
    wanted = [(f, loud) for f, loud in wanted if f[0].decode() not in DROPPED and
              not (f[0] == b"COMM" and is_comment(f[2], "iTunPGAP") and out.length_changed) and
              not (f[0] == b"SEEK" and to_next_tag is None) and loud[0] != "album"]
    if [f[0] for f, _ in wanted] != [f[0] for f in found]:
        problems.append(f"{name}: frames {[f[0] for f, _ in wanted]} became {[f[0] for f in found]}")
        return
    if rest.strip(b"\x00") != out_rest.strip(b"\x00") or len(rest) != len(out_rest):
        problems.append(f"{name}: after the frames {out_rest[:40]!r}, wanted {rest[:40]!r}")
    for ((frame_id, flags, data), (loud, kept)), (_, out_flags, out_data) in zip(wanted, found):
        key = frame_id.decode()
        out_plain = plain_data(out_version, out_tag_flags, out_flags, out_data)
        remade = (key in {"TLEN", "SEEK"} | TIMED or loud == "track" or
                  (key == "COMM" and is_comment(data, "iTunSMPB")))
        if remade and out_version == 4 and out_tag_flags & 0x80 and not out_flags & 0x0002:
            problems.append(f"{name}: {key} written anew is not unsynchronised as its tag says")
        if key == "TLEN":
            if out_flags & 0xF000 != flags & 0xF000 or text_value(out_plain) != str(out.ms):
                problems.append(f"{name}: TLEN {out_data}, flags {out_flags:#x}, wanted {out.ms}")
        elif key == "SEEK":
            if struct.unpack(">I", out_plain)[0] != to_next_tag:
                problems.append(f"{name}: SEEK {out_data.hex()}, wanted {to_next_tag}")
        elif key == "APIC" and version == 2:
            if not out_data.endswith(data[6:]):
                problems.append(f"{name}: the picture of PIC is not in APIC")
        elif remade and (key != "SYLT" and key != "ETCO" or out.scale != 1.0):
            if out_flags & 0xF000 != flags & 0xF000:
                problems.append(f"{name}: {key} flags {out_flags:#06x}, wanted {flags:#06x}")
            if loud == "track" and not out_plain.startswith(kept):
                problems.append(f"{name}: {key} {out_plain[:60]!r} does not keep {kept!r}")
            # their values: compare_id3v2, check_loudness
        elif (flags, data) != (out_flags, out_data):
            problems.append(f"{name}: {key} {out_flags:#06x} {out_data[:60]!r}\n"
                            f"    wanted {flags:#06x} {data[:60]!r}")


def compare_blocks(source, output, out, problems):
    with open(source, "rb") as file:
        before_front, before_end = blocks(file.read())
    before_end = [(k, b) for k, b in before_end if not (k == "ID3v2" and carries_nothing(b))]
    with open(output, "rb") as file:
        data = file.read()
    after_front, after_end = blocks(data)
    if [k for k, _ in before_front + before_end] != [k for k, _ in after_front + after_end]:
        problems.append(f"blocks {[k for k, _ in before_front + before_end]} became "
                        f"{[k for k, _ in after_front + after_end]}")
        return
    # From the end of the front tag to the appended one, for SEEK.
    kinds = [k for k, _ in after_end]
    to_next = None
    if after_front and "ID3v2" in kinds:
        appended_at = len(data) - sum(len(b) for _, b in after_end[kinds.index("ID3v2"):])
        to_next = appended_at - len(after_front[0][1])
    pairs = list(zip(before_front + before_end, after_front + after_end))
    for index, ((kind, before), (_, after)) in enumerate(pairs):
        name = "ID3v2 at the start" if index == 0 and before_front else f"{kind} at the end"
        if kind == "ID3v2":
            compare_frames(name, before, after, out, to_next, problems)
        elif kind == "APE":
            corpus_loudness.compare_ape(name, before, after, problems)
        elif before != after:
            problems.append(f"{name}: {after[:80]!r}\n    wanted {before[:80]!r}")


def check_gapless(output, out, problems):
    """iTunSMPB's numbers add up to the output's whole frames."""
    tags = id3(output)
    for frame in (tags.getall("COMM:iTunSMPB:eng") if tags else []):
        words = [int(w, 16) for w in frame.text[0].split()[1:4]]
        if words[2] != out.frames or sum(words) % 1152 != 0:
            problems.append(f"iTunSMPB {frame.text[0]!r} for {out.frames} frames")


def ape_blocks(path):
    with open(path, "rb") as file:
        return [block for kind, block in blocks(file.read())[1] if kind == "APE"]


def check_loudness(source, output, effect, problems):
    """The loudness values, measured on the output (corpus_loudness.check);
    through the gain plug-in, the track's gain must have risen by as much
    as the plug-in lowered the level."""
    before = corpus_loudness.values(id3(source), ape_blocks(source))
    if not before:
        return
    after = corpus_loudness.values(id3(output), ape_blocks(output))
    measured = corpus_loudness.measure(output, decoded(output))
    level = 20 * math.log10(GAIN_LEVEL / 100) if effect == GAIN_PLUGIN else None
    corpus_loudness.check(before, after, measured, level, problems)


def check_damaged(name, source, output):
    """The audio whole, and no tag at all."""
    with open(output, "rb") as file:
        front, end = blocks(file.read())
    problems = [f"{name}: the output has {[k for k, _ in front + end]}"] if front or end else []
    if decoded_frames(source) != decoded_frames(output):
        problems.append(f"{name}: the audio is not as long as the input's")
    print("\n".join(problems) or f"{name}: no tags, the audio whole")
    return not problems


def check_one(folder, output):
    name = output[:-len("_out.mp3")]
    source = os.path.join(folder, name + ".mp3")
    lines = [line.split() for line in open(os.path.join(folder, "corpus.txt"))]
    if [name + ".mp3", "-", "damaged"] in lines:
        return check_damaged(name, source, output)
    plugin = {line[0]: line[1] for line in lines}
    effect = plugin[name + ".mp3"]
    speed = SPEED if effect == SPEED_PLUGIN else 1.0
    problems = []
    frames_in, frames_out = decoded_frames(source), decoded_frames(output)
    scale = frames_out / frames_in
    if effect == ECHO_PLUGIN:
        # The tail lengthens the file (TLEN) but moves no chapter or lyric.
        scale = 1.0
        if frames_out <= frames_in:
            problems.append(f"decodes to {frames_out} frames, no tail after the input's {frames_in}")
    elif speed == 1.0 and frames_in != frames_out:
        problems.append(f"decodes to {frames_out} frames, the input to {frames_in}")
    elif speed != 1.0 and abs(frames_out / frames_in - speed) > 0.01:
        problems.append(f"decodes to {frames_out} frames, {frames_out / frames_in:.3f} x the input")
    with open(output, "rb") as file:
        data = file.read()
    front, _ = blocks(data)
    out = Output(scale, frames_out, frames_in, data, len(front[0][1]) if front else 0)
    compare_id3v2(source, output, out, problems)
    compare_blocks(source, output, out, problems)
    check_gapless(output, out, problems)
    check_loudness(source, output, effect, problems)
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
