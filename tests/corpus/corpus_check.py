#!/usr/bin/python3
"""Runs the tool over real MP3 files with odd tags, and over mutated copies
of them, looking for crashes, sanitizer reports, hangs and damaged audio.

Every run works on a copy in a scratch directory. A run passes when the tool
ends by itself with status 0 or 1 and nothing on standard error but the
reason for a file it refused to write (its guard against a tag library that
would lose a frame), which it must then leave byte-identical; the preview
and every run that ends in an error leave the copy byte-identical; a save
keeps the audio bytes (what lies before the leading ID3v2 tag and between it
and the trailing APE/ID3v1 tags, found the same way as the tests' byte-level
reader does) wherever the file had MPEG audio frames, with only the tags
asked for around them.

usage: corpus_check.py BINARY CORPUS_DIR [MUTATIONS_PER_FILE] [SEED]
"""

import json
import os
import random
import shutil
import subprocess
import sys
import tempfile
import time

TARGETS = {
    "id3v1": ["-s", "cp1251", "-1", "cp1251"],
    "id3v2-unicode": ["-s", "cp1251", "-2", "unicode"],
    "id3v2-codepage": ["-s", "cp1251", "-2", "koi8-r"],
    "both": ["-s", "cp1251", "-1", "koi8-r", "-2", "unicode"],
    "none": ["-s", "cp1251"],
    "preview": ["-w", "-s", "cp1251", "-1", "koi8-r", "-2", "unicode"],
    "preserve-unicode-source": ["-p", "-s", "unicode", "-1", "cp1251", "-2", "unicode"],
    # The preview as JSON Lines: every line must parse, as strict UTF-8.
    "json": ["--json", "-w", "-a", "-s", "auto", "-1", "koi8-r", "-2", "unicode"],
}
JSON_KINDS = {"failed": "error", "skipped": "skip", "previewed": "preview"}
TIME_LIMIT = 30


def sync_safe(data, at):
    if len(data) < at + 4 or any(b >= 0x80 for b in data[at:at + 4]):
        return None
    value = 0
    for b in data[at:at + 4]:
        value = (value << 7) | b
    return value


BITRATES = [
    [[0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0],
     [0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0],
     [0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0]],
    [[0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0],
     [0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0],
     [0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0]],
]
RATES = [44100, 48000, 32000]


def mpeg_frame_length(data, at):
    """Length of the MPEG frame whose header starts at `at`, or 0."""
    if at + 4 > len(data) or data[at] != 0xFF or data[at + 1] & 0xE0 != 0xE0:
        return 0
    version = (data[at + 1] >> 3) & 3
    layer = 4 - ((data[at + 1] >> 1) & 3)
    bitrate_index = data[at + 2] >> 4
    rate_index = (data[at + 2] >> 2) & 3
    if version == 1 or layer == 4 or rate_index == 3:
        return 0
    bitrate = BITRATES[0 if version == 3 else 1][layer - 1][bitrate_index] * 1000
    if bitrate == 0:
        return 0
    rate = RATES[rate_index] >> (0 if version == 3 else 1 if version == 2 else 2)
    padding = (data[at + 2] >> 1) & 1
    if layer == 1:
        return (12 * bitrate // rate + padding) * 4
    factor = 72 if layer == 3 and version != 3 else 144
    return factor * bitrate // rate + padding


def first_mpeg_frame(data, start=0):
    """Start of the first frame header followed by a matching one, or None."""
    at = data.find(b"\xFF", start)
    while at != -1 and at + 4 <= len(data):
        length = mpeg_frame_length(data, at)
        nxt = at + length
        if length and nxt + 4 <= len(data) and data[nxt] == 0xFF \
                and data[nxt + 1] & 0xFE == data[at + 1] & 0xFE \
                and data[nxt + 2] & 0x0C == data[at + 2] & 0x0C:
            return at
        at = data.find(b"\xFF", at + 1)
    return None


def id3v2_span(data, at):
    if at + 10 > len(data):
        return len(data) - at
    size = sync_safe(data, at + 6)
    if size is None:
        return 10
    # A footer stands only in ID3v2.4, and only where "3DI" is written behind
    # the body; otherwise the flag is a stray bit and the bytes are audio.
    footer = at + 10 + size
    has_footer = (data[at + 3] == 4 and data[at + 5] & 0x10
                  and data[footer:footer + 3] == b"3DI")
    return 10 + size + (10 if has_footer else 0)


def locate_parts(data):
    """(tag_begin, audio_begin, audio_end): the rules of tests/support/id3_reader."""
    tag = None
    if data[:3] == b"ID3":
        tag = 0
    else:
        found = data.find(b"ID3")
        first = first_mpeg_frame(data)
        if found != -1 and (first is None or found < first):
            tag = found
    tag_begin = begin = 0
    if tag is not None:
        tag_begin = end = tag
        while True:
            end = min(end + id3v2_span(data, end), len(data))
            if not (data[end:end + 3] == b"ID3" and end + 10 <= len(data)):
                break
        begin = end
    end = len(data)
    if end >= begin + 128 and data[end - 128:end - 125] == b"TAG":
        end -= 128
    if end >= begin + 32 and data[end - 32:end - 24] == b"APETAGEX":
        items_and_footer = int.from_bytes(data[end - 20:end - 16], "little")
        with_header = int.from_bytes(data[end - 12:end - 8], "little") & 0x80000000
        whole = items_and_footer + (32 if with_header else 0)
        if items_and_footer >= 32 and whole <= end - begin:
            end -= whole
    return tag_begin, begin, end


def audio_bytes(data):
    tag_begin, begin, end = locate_parts(data)
    return data[:tag_begin] + data[begin:end]


def has_audio_frames(audio):
    return first_mpeg_frame(audio) is not None


def check_saved(before, after, writes_id3v2):
    """What is wrong with `after` as a save of `before`, or None.

    A save keeps the bytes before the leading ID3v2 tag, puts the new ID3v2
    tag (when one is written and not empty) where the old one was, keeps the
    audio between the tags, and ends with nothing or a new ID3v1 block. The
    new file is checked against that layout rather than read afresh: once
    the leading tag is gone, a tag further on may take its place in a
    reader's eyes.
    """
    tag_begin, begin, end = locate_parts(before)
    prefix, middle = before[:tag_begin], before[begin:end]
    if not after.startswith(prefix):
        return "bytes before the ID3v2 tag changed"
    rest = after[len(prefix):]
    starts = [rest]
    if writes_id3v2 and rest[:3] == b"ID3":
        starts.append(rest[id3v2_span(rest, 0):])
    for start in starts:
        if start.startswith(middle):
            tail = start[len(middle):]
            if not tail or (len(tail) == 128 and tail[:3] == b"TAG"):
                return None
            return "%d unexpected bytes after the audio" % len(tail)
    return "audio bytes changed by the save"


def mutate(data, rng):
    kind = rng.choice(["flip", "flip-head", "flip-tail", "truncate", "insert", "insert-head",
                       "zero-run"])
    data = bytearray(data)
    if not data:
        return kind, bytes(rng.randrange(256) for _ in range(rng.randrange(1, 64)))
    if kind.startswith("flip"):
        for _ in range(rng.randrange(1, 9)):
            if kind == "flip-head":
                at = rng.randrange(min(len(data), 64))
            elif kind == "flip-tail":
                at = len(data) - 1 - rng.randrange(min(len(data), 256))
            else:
                at = rng.randrange(len(data))
            data[at] ^= 1 << rng.randrange(8) if rng.random() < 0.5 else rng.randrange(1, 256)
    elif kind == "truncate":
        del data[rng.randrange(len(data)):]
    elif kind.startswith("insert"):
        at = rng.randrange(min(len(data), 64)) if kind == "insert-head" else rng.randrange(len(data) + 1)
        data[at:at] = bytes(rng.randrange(256) for _ in range(rng.randrange(1, 17)))
    else:
        at = rng.randrange(len(data))
        data[at:at + rng.randrange(1, 64)] = b"\0" * min(len(data) - at, 64)
    return kind, bytes(data)


def is_refusal(err, path):
    """Standard error holds only the reason why the file was not written."""
    prefix = "tagshifter: " + path + ": not written: "
    return all(line.startswith(prefix) for line in err.splitlines())


class Checker:
    def __init__(self, binary, scratch):
        self.binary = binary
        self.scratch = scratch
        self.runs = 0
        self.findings = []
        self.outcomes = {}

    def run(self, label, data, target):
        path = os.path.join(self.scratch, "copy.mp3")
        with open(path, "wb") as out:
            out.write(data)
        env = dict(os.environ)
        env["ASAN_OPTIONS"] = "exitcode=86:" + env.get("ASAN_OPTIONS", "")
        env["UBSAN_OPTIONS"] = "exitcode=87:print_stacktrace=1:" + env.get("UBSAN_OPTIONS", "")
        # Each save is journaled in the scratch folder, and undone below.
        env["XDG_STATE_HOME"] = self.scratch
        journal = os.path.join(self.scratch, "run.journal")
        if os.path.exists(journal):
            os.unlink(journal)
        self.runs += 1
        try:
            done = subprocess.run([self.binary, "--journal=" + journal] + TARGETS[target] + [path], env=env,
                                  stdin=subprocess.DEVNULL, capture_output=True,
                                  timeout=TIME_LIMIT)
        except subprocess.TimeoutExpired:
            self.finding(label, target, data, "hang: no end after %d s" % TIME_LIMIT)
            return
        with open(path, "rb") as back:
            after = back.read()
        out = done.stdout.decode("latin-1")
        # The lines that say which tags a target left at none removes.
        err = "".join(line for line in done.stderr.decode("latin-1").splitlines(True)
                      if not line.startswith(("tagshifter: neither -1 nor -2 given",
                                              "tagshifter: -1 none ", "tagshifter: -2 none ")))
        if target == "json":
            try:
                # JSON Lines end at "\n" only: U+2028 and U+0085 stand unescaped
                # inside strings, where splitlines() would break a line.
                lines = [json.loads(line) for line in done.stdout.decode("utf-8").split("\n") if line]
                if len(lines) != 2 or "summary" not in lines[1]:
                    raise ValueError("not one file object and a summary")
                kind = JSON_KINDS[lines[0]["outcome"]]
            except (UnicodeDecodeError, ValueError, KeyError) as wrong:
                self.finding(label, target, data, "JSON output: %s\n%s" % (wrong, out[-3000:]))
                return
        else:
            kind = "error" if out.startswith("Error: ") else \
                "skip" if "does not contain any ID3 tags" in out else \
                "failed" if out.endswith("failed!\n") else \
                "preview" if target == "preview" else "saved"
        self.outcomes[kind] = self.outcomes.get(kind, 0) + 1
        if done.returncode not in (0, 1):
            self.finding(label, target, data, "status %d\n%s" % (done.returncode, err[-3000:]))
        elif err and not ((kind == "error" and err.startswith("tagshifter: " + path + ": ")
                           and err.count("\n") == 1)
                          or (kind == "failed" and is_refusal(err, path))):
            # An error or a refusal has one line of its own on standard
            # error, naming the file.
            self.finding(label, target, data, "standard error:\n" + err[-3000:])
        elif kind in ("error", "skip", "preview", "failed") and after != data:
            self.finding(label, target, data, "%s run changed the file" % kind)
        elif kind == "saved" and has_audio_frames(audio_bytes(data)):
            wrong = check_saved(data, after, "-2" in TARGETS[target])
            if wrong:
                self.finding(label, target, data, wrong)
        if kind in ("saved", "failed") and done.returncode in (0, 1):
            self.check_undo(label, target, data, path, journal, env)

    def check_undo(self, label, target, data, path, journal, env):
        """The journal puts the file back byte for byte."""
        try:
            undo = subprocess.run([self.binary, "-q", "--no-journal", "--undo=" + journal], env=env,
                                  stdin=subprocess.DEVNULL, capture_output=True, timeout=TIME_LIMIT)
        except subprocess.TimeoutExpired:
            self.finding(label, target, data, "undo: no end after %d s" % TIME_LIMIT)
            return
        with open(path, "rb") as back:
            restored = back.read()
        if undo.returncode != 0 or restored != data:
            self.finding(label, target, data, "undo: status %d, %s\n%s" % (
                undo.returncode, "restored" if restored == data else "not byte-identical",
                undo.stderr.decode("latin-1")[-3000:]))

    def finding(self, label, target, data, what):
        keep = os.path.join(self.scratch, "finding-%d.mp3" % len(self.findings))
        with open(keep, "wb") as out:
            out.write(data)
        self.findings.append((label, target, what, keep))
        print("FINDING %s [%s]: %s (input kept as %s)" % (label, target, what.splitlines()[0], keep),
              flush=True)


def main():
    if len(sys.argv) < 3:
        print(__doc__)
        return 2
    binary, corpus = sys.argv[1], sys.argv[2]
    mutations = int(sys.argv[3]) if len(sys.argv) > 3 else 300
    seed = int(sys.argv[4]) if len(sys.argv) > 4 else 1
    files = sorted(os.path.join(root, name) for root, _, names in os.walk(corpus)
                   for name in names if name.lower().endswith(".mp3"))
    scratch = tempfile.mkdtemp(prefix="tagshifter-corpus-")
    checker = Checker(binary, scratch)
    started = time.time()
    for path in files:
        with open(path, "rb") as source:
            original = source.read()
        name = os.path.relpath(path, corpus)
        for target in TARGETS:
            checker.run(name, original, target)
        rng = random.Random("%d:%s" % (seed, name))
        targets = list(TARGETS)
        for i in range(mutations):
            kind, data = mutate(original, rng)
            checker.run("%s mutation %d (%s)" % (name, i, kind), data, targets[i % len(targets)])
    elapsed = time.time() - started
    print("corpus: %d files x %d targets, %d mutations per file: %d runs in %.0f s" % (
        len(files), len(TARGETS), mutations, checker.runs, elapsed))
    print("outcomes: " + ", ".join("%s %d" % item for item in sorted(checker.outcomes.items())))
    print("findings: %d" % len(checker.findings))
    if not checker.findings:
        shutil.rmtree(scratch)
    return 1 if checker.findings else 0


if __name__ == "__main__":
    sys.exit(main())
