#!/usr/bin/python3
"""Peak memory of one file with a large tag, against the size of the tag.

    memory.py [--tagshifter BIN] [--only a,b] [--targets L] [--modes L] [--massif] [--keep DIR]

For each case a file is written byte by byte (an ID3v2.3 tag, silent MPEG
frames, an ID3v1 tag), then converted on a fresh copy with each target
(-2 unicode, -1 cp1251, both), with the journal and without. The figure is
the peak RSS (/usr/bin/time) less that of the same run on a file with a tiny
tag, so that the program and its libraries are not counted; the floor is the
size of the tag itself. Cases marked -a convert every text frame (-a). Each
mode adds its options: "named" (-s cp1251 alone), "auto" (-s auto:cp1251,koi8-r),
"json" (--json), "preview" (-w). The run's wall and CPU seconds are printed too. With --massif, the heap's peak as valgrind's massif
sees it is printed too (slow: a minute or more a run).
"""

import argparse
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
MB = 1 << 20

FRAME = bytes([0xFF, 0xFB, 0x90, 0x44]) + bytes(417 - 4)
LETTERS = "Привет мир Ночь улица фонарь аптека ".encode("cp1251")


def syncsafe(n):
    return bytes([(n >> 21) & 0x7F, (n >> 14) & 0x7F, (n >> 7) & 0x7F, n & 0x7F])


def frame(frame_id, body):
    return frame_id.encode("ascii") + struct.pack(">I", len(body)) + b"\0\0" + body


def cp1251(size):
    return (LETTERS * (size // len(LETTERS) + 1))[:size]


def text(frame_id, size):
    return frame(frame_id, b"\0" + cp1251(size))


def short_texts():
    return [text("TIT2", 24), text("TPE1", 12), text("TALB", 16), frame("COMM", b"\0rus\0" + cp1251(30))]


def described(frame_id, description, size):
    language = b"rus" if frame_id != "TXXX" else b""
    return frame(frame_id, b"\0" + language + description.encode("ascii") + b"\0" + cp1251(size))


def picture(size):
    noise = bytes((i * 7919 + (i >> 8)) & 0xFF for i in range(65536))
    return frame("APIC", b"\0image/jpeg\0\x03\0" + (noise * (size // len(noise) + 1))[:size])


# name, what, the tag's frames, the options it is converted with
CASES = {
    "tiny": ("a tiny tag (the baseline)", lambda: short_texts(), []),
    "a": ("a 2 MB cp1251 title", lambda: [text("TIT2", 2 * MB)] + short_texts()[1:], []),
    "a15": ("a 15 MB cp1251 title", lambda: [text("TIT2", 15 * MB)] + short_texts()[1:], []),
    "b16": ("a 16 MB picture, short texts", lambda: short_texts() + [picture(16 * MB)], []),
    "b32": ("a 32 MB picture, short texts", lambda: short_texts() + [picture(32 * MB)], []),
    "c": ("title, artist, album, comment of 2 MB each", lambda: [
        text("TIT2", 2 * MB), text("TPE1", 2 * MB), text("TALB", 2 * MB),
        frame("COMM", b"\0rus\0" + cp1251(2 * MB))], []),
    "x": ("-a: TXXX, USLT and a described COMM of 2 MB each", lambda: short_texts() + [
        described("TXXX", "notes", 2 * MB), described("USLT", "", 2 * MB),
        described("COMM", "liner", 2 * MB)], ["-a"]),
    "x32": ("-a: a 15 MB USLT, a 15 MB TXXX, a 2 MB title (32 MB)", lambda: [text("TIT2", 2 * MB)]
            + short_texts()[1:] + [described("USLT", "", 15 * MB), described("TXXX", "notes", 15 * MB)], ["-a"]),
}

TARGETS = [
    ("-2 unicode", ["-2", "unicode", "-1", "none"]),
    ("-1 cp1251", ["-1", "cp1251", "-2", "none"]),
    ("both", ["-1", "cp1251", "-2", "unicode"]),
]

# The ways the texts are read and shown besides the plain conversion.
MODES = {
    "named": ["-q", "-s", "cp1251"],
    "auto": ["-q", "-s", "auto:cp1251,koi8-r"],
    "json": ["--json", "-s", "cp1251"],
    "preview": ["-w", "-s", "cp1251"],
}


def write_case(path, frames):
    body = b"".join(frames)
    tag = b"ID3\x03\x00\x00" + syncsafe(len(body)) + body
    id3v1 = b"TAG" + cp1251(30) + cp1251(30) + cp1251(30) + b"1999" + bytes(30) + b"\xff"
    with open(path, "wb") as out:
        out.write(tag + FRAME * 200 + id3v1)
    return len(tag)


def run(command, work):
    """The command's peak RSS in bytes, its wall and CPU seconds, its exit
    status and what it said.
    Through /usr/bin/time: a child forked from this script would count the
    script's own peak, which holds the fixtures, in its own."""
    out = os.path.join(work, "time.out")
    done = subprocess.run(["/usr/bin/time", "-f", "%e %U %S %M", "-o", out] + command,
                          stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, check=False)
    with open(out) as f:
        wall, user, system, rss = f.read().split()[-4:]
    return (int(rss) * 1024, float(wall), float(user) + float(system), done.returncode,
            done.stderr.decode(errors="replace").strip())


def id3v2_size(path):
    """The size of the ID3v2 tag a file starts with, header included; 0 without."""
    with open(path, "rb") as f:
        head = f.read(10)
    if len(head) < 10 or head[:3] != b"ID3":
        return 0
    return 10 + ((head[6] & 0x7F) << 21 | (head[7] & 0x7F) << 14 | (head[8] & 0x7F) << 7 | head[9] & 0x7F)


def massif_peak(command, work):
    out = os.path.join(work, "massif.out")
    subprocess.run(["valgrind", "--tool=massif", "--pages-as-heap=no", f"--massif-out-file={out}"] + command,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False)
    peak = 0
    with open(out) as f:
        for line in f:
            m = re.match(r"mem_heap_B=(\d+)", line)
            if m:
                peak = max(peak, int(m.group(1)))
    return peak


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--tagshifter", default=os.path.join(HERE, "..", "build", "tagshifter"))
    parser.add_argument("--only", default="")
    parser.add_argument("--targets", default="", help="some of: " + ", ".join(t for t, _ in TARGETS))
    parser.add_argument("--modes", default="named", help="some of: " + ", ".join(MODES))
    parser.add_argument("--massif", action="store_true")
    parser.add_argument("--keep")
    args = parser.parse_args()
    names = [n for n in CASES if n != "tiny" and (not args.only or n in args.only.split(","))]

    work = args.keep or tempfile.mkdtemp(prefix="tagshifter-memory-")
    os.makedirs(work, exist_ok=True)
    sizes = {}
    for name in ["tiny"] + names:
        sizes[name] = write_case(os.path.join(work, name + ".pristine"), CASES[name][1]())

    targets = [t for t in TARGETS if not args.targets or t[0] in args.targets.split(",")]
    modes = args.modes.split(",")

    def measure(name, target, journal, mode, massif=False):
        copy = os.path.join(work, name + ".mp3")
        shutil.copyfile(os.path.join(work, name + ".pristine"), copy)
        command = [args.tagshifter] + MODES[mode] + CASES[name][2] + target
        command += [f"--journal={os.path.join(work, 'run.journal')}"] if journal else ["--no-journal"]
        if os.path.exists(os.path.join(work, "run.journal")):
            os.remove(os.path.join(work, "run.journal"))
        if massif:
            return massif_peak(command + [copy], work)
        rss, wall, cpu, status, error = run(command + [copy], work)
        if status != 0:
            print(f"  ({name} {' '.join(target)}: status {status}: {error})", file=sys.stderr)
        return rss, id3v2_size(copy), wall, cpu

    header = ("| case | tag MB | target | mode | journal | peak over baseline MB | x tag | new tag MB | x larger tag "
              "| wall s | CPU s |")
    if args.massif:
        header += " massif heap MB | x tag |"
    print(header)
    print("|" + "---|" * (header.count("|") - 1))
    # The preview writes nothing: no journal is opened for it.
    runs = [(name, label, target, mode, journal) for name in names for label, target in targets
            for mode in modes for journal in ((False,) if mode == "preview" else (True, False))]
    for name, label, target, mode, journal in runs:
        base = measure("tiny", target, journal, mode)[0]
        rss, written, wall, cpu = measure(name, target, journal, mode)
        peak = rss - base
        larger = max(sizes[name], written)
        row = (f"| {name} | {sizes[name] / MB:.1f} | {label} | {mode} | {'yes' if journal else 'no'} "
               f"| {peak / MB:.1f} | {peak / sizes[name]:.1f} | {written / MB:.1f} | {peak / larger:.1f} "
               f"| {wall:.2f} | {cpu:.2f} |")
        if args.massif:
            heap = measure(name, target, journal, mode, massif=True)
            row += f" {heap / MB:.1f} | {heap / sizes[name]:.1f} |"
        print(row, flush=True)
    if not args.keep:
        shutil.rmtree(work)


if __name__ == "__main__":
    main()
