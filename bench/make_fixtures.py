#!/usr/bin/python3
"""Writes the benchmark's MP3 files byte by byte.

Each file is a legacy ID3v2.3 tag whose text frames have encoding byte 0 and
hold cp1251 bytes (the case the tool is for), then silent MPEG-1 Layer III
frames (128 kbit/s, 44.1 kHz, 417 bytes each), then an ID3v1 tag with the same
cp1251 text.  Nothing is taken from elsewhere: the audio is a valid but silent
frame repeated, the words are a small built-in list.

    make_fixtures.py DIR COUNT FRAMES PADDING [--tight-every N] [--seed S]

COUNT files named 0000.mp3 ... go into DIR.  PADDING is the number of zero
bytes after the frames of the ID3v2 tag.  With --tight-every N, every Nth file
(the first included) gets no padding at all, so that its converted tag (UTF-8
takes two bytes per Cyrillic letter) no longer fits and the file is rewritten.
With --cover BYTES, each tag also carries a cover picture (an APIC frame) of
that many bytes of noise, different in every file.
"""

import argparse
import os
import random
import struct

WORDS = [
    "Привет", "мир", "Ночь", "улица", "фонарь", "аптека", "Звезда", "по",
    "имени", "Солнце", "Кино", "Группа", "крови", "Осень", "Город", "золотой",
    "Песня", "без", "слов", "Последний", "герой", "Дальше", "действовать",
    "будем", "мы", "Море", "Белая", "гвардия", "Летний", "вечер", "Чёрный",
    "ворон", "Дорога", "домой", "Любовь", "Весна", "Течёт", "река", "Волга",
]
GENRES = ["Шансон", "Рок", "Поп", "Эстрада", "Бардовская песня", "Джаз"]

# MPEG-1 Layer III, no CRC, 128 kbit/s, 44.1 kHz, no padding, joint stereo.
FRAME_HEADER = bytes([0xFF, 0xFB, 0x90, 0x44])
FRAME_SIZE = 144 * 128000 // 44100  # 417
# Side information and main data all zero: a valid, silent frame.
FRAME = FRAME_HEADER + bytes(FRAME_SIZE - len(FRAME_HEADER))


def syncsafe(n):
    return bytes([(n >> 21) & 0x7F, (n >> 14) & 0x7F, (n >> 7) & 0x7F, n & 0x7F])


def frame23(frame_id, body):
    return frame_id.encode("ascii") + struct.pack(">I", len(body)) + b"\0\0" + body


def text_frame(frame_id, text):
    return frame23(frame_id, b"\0" + text.encode("cp1251"))


def comment_frame(text):
    return frame23("COMM", b"\0" + b"rus" + b"\0" + text.encode("cp1251"))


def picture_frame(picture):
    return frame23("APIC", b"\0image/jpeg\0\x03\0" + picture)


def id3v23(fields, padding, picture=b""):
    frames = b"".join([
        text_frame("TIT2", fields["title"]),
        text_frame("TPE1", fields["artist"]),
        text_frame("TALB", fields["album"]),
        text_frame("TCON", fields["genre"]),
        text_frame("TYER", fields["year"]),
        text_frame("TRCK", fields["track"]),
        comment_frame(fields["comment"]),
    ] + ([picture_frame(picture)] if picture else []))
    body = frames + bytes(padding)
    return b"ID3\x03\x00\x00" + syncsafe(len(body)) + body


def v1_field(text, size):
    data = text.encode("cp1251")[:size]
    return data + bytes(size - len(data))


def id3v1(fields):
    return (b"TAG" + v1_field(fields["title"], 30) + v1_field(fields["artist"], 30)
            + v1_field(fields["album"], 30) + v1_field(fields["year"], 4)
            + v1_field(fields["comment"], 28) + b"\0"
            + bytes([int(fields["track"]) % 256]) + bytes([255]))


def words(rng, lo, hi):
    return " ".join(rng.choice(WORDS) for _ in range(rng.randint(lo, hi)))


def make_fields(rng, index):
    return {
        "title": words(rng, 2, 5),
        "artist": words(rng, 1, 3),
        "album": words(rng, 2, 4),
        "comment": words(rng, 3, 8),
        "genre": rng.choice(GENRES),
        "year": str(1970 + index % 50),
        "track": str(1 + index % 20),
    }


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("dir")
    parser.add_argument("count", type=int)
    parser.add_argument("frames", type=int)
    parser.add_argument("padding", type=int)
    parser.add_argument("--tight-every", type=int, default=0)
    parser.add_argument("--seed", type=int, default=1251)
    parser.add_argument("--cover", type=int, default=0)
    args = parser.parse_args()

    os.makedirs(args.dir, exist_ok=True)
    rng = random.Random(args.seed)
    audio = FRAME * args.frames
    width = max(4, len(str(args.count - 1)))
    for i in range(args.count):
        fields = make_fields(rng, i)
        tight = args.tight_every and i % args.tight_every == 0
        picture = rng.randbytes(args.cover) if args.cover else b""
        data = id3v23(fields, 0 if tight else args.padding, picture) + audio + id3v1(fields)
        with open(os.path.join(args.dir, f"{i:0{width}d}.mp3"), "wb") as out:
            out.write(data)


if __name__ == "__main__":
    main()
