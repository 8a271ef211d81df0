#!/usr/bin/env python3
"""Compares the ID3v2 tags of a converted file with its input's, frame by
frame (text in any script, the comment, the picture's bytes), and checks with
Debian's mpg123 that the output decodes to the input's exact length."""
import subprocess
import sys


def syncsafe(data):
    return (data[0] << 21) | (data[1] << 14) | (data[2] << 7) | data[3]


def text_of(encoding, data):
    if encoding == 0:
        return data.decode("latin-1").rstrip("\0")
    if encoding == 1:
        return data.decode("utf-16").rstrip("\0")
    if encoding == 2:
        return data.decode("utf-16-be").rstrip("\0")
    return data.decode("utf-8").rstrip("\0")


def frames(path):
    data = open(path, "rb").read()
    if data[:3] != b"ID3":
        return {}
    version, size, found, at = data[3], syncsafe(data[6:10]), {}, 10
    while at + 10 <= 10 + size and data[at:at + 4].strip(b"\0"):
        fid = data[at:at + 4].decode()
        length = syncsafe(data[at + 4:at + 8]) if version == 4 else int.from_bytes(data[at + 4:at + 8], "big")
        body, at = data[at + 10:at + 10 + length], at + 10 + length
        if fid.startswith("T"):
            found[fid] = text_of(body[0], body[1:])
        elif fid == "COMM":
            terminator = b"\0\0" if body[0] in (1, 2) else b"\0"
            rest = body[4:]
            cut = next(i for i in range(0, len(rest), len(terminator)) if rest[i:i + len(terminator)] == terminator)
            found[fid] = (body[1:4].decode(), text_of(body[0], rest[:cut]), text_of(body[0], rest[cut + len(terminator):]))
        elif fid == "APIC":
            mime_end = body.index(b"\0", 1)
            kind, rest = body[mime_end + 1], body[mime_end + 2:]
            terminator = b"\0\0" if body[0] in (1, 2) else b"\0"
            cut = next(i for i in range(0, len(rest), len(terminator)) if rest[i:i + len(terminator)] == terminator)
            found[fid] = (body[1:mime_end].decode(), kind, rest[cut + len(terminator):])
    return found


def decoded_frames(path):
    return len(subprocess.run(["mpg123", "-q", "-s", path], check=True, capture_output=True).stdout) // 4


source, output = frames(sys.argv[1]), frames(sys.argv[2])
failures = []
for fid in ["TIT2", "TPE1", "TALB", "TRCK", "TYER", "TCON", "COMM", "APIC"]:
    ok = fid in source and source.get(fid) == output.get(fid)
    shown = output.get(fid) if fid != "APIC" else (output.get(fid) or (None, None, b""))[:2] + (len((output.get(fid) or (0, 0, b""))[2]),)
    print(("ok    " if ok else "FAIL  ") + f"{fid}: {shown!r}")
    if not ok:
        failures.append(fid)
if "\u041a" not in output.get("TPE1", "") or "\u65e5" not in output.get("TALB", ""):
    failures.append("scripts")
lengths = decoded_frames(sys.argv[1]), decoded_frames(sys.argv[2])
print(("ok    " if lengths[0] == lengths[1] else "FAIL  ") + f"decoded frames {lengths}")
if lengths[0] != lengths[1]:
    failures.append("length")
sys.exit(1 if failures else 0)
