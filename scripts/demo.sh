#!/usr/bin/env bash
# Builds tagshifter and runs it on a small example: an MP3 whose tags hold
# cp1251 bytes, as a Windows tagger of the 2000s wrote them. It previews
# the fix, applies it, shows what the file holds afterwards, and undoes it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh tagshifter >/dev/null
tool="$PWD/${BUILD_DIR:-build}/tagshifter"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
song="$work/example.mp3"
# The run's journal (what --undo reads) goes with the example, not to ~/.local/state.
export XDG_STATE_HOME="$work/state"

# A 32-bit big-endian integer.
be32() { printf "\\x$(printf %02x $(($1 >> 24 & 255)))\\x$(printf %02x $(($1 >> 16 & 255)))"
         printf "\\x$(printf %02x $(($1 >> 8 & 255)))\\x$(printf %02x $(($1 & 255)))"; }
# An ID3v2.3 text frame: id, big-endian size, two flag bytes, encoding 0, text.
frame() {
    local id=$1 text=$2
    printf '%s' "$id"
    be32 $(( ${#text} + 1 ))
    printf '\x00\x00\x00%s' "$text"
}
pad() { head -c "$1" /dev/zero; }

export LC_ALL=C
title=$'\xcf\xf0\xe8\xe2\xe5\xf2'                                  # Привет in cp1251
artist=$'\xca\xe8\xed\xee'                                         # Кино
album=$'\xc3\xf0\xf3\xef\xef\xe0 \xea\xf0\xee\xe2\xe8'             # Группа крови
{ frame TIT2 "$title"; frame TPE1 "$artist"; frame TALB "$album"; frame TCON Rock; } > "$work/frames"
{
    # ID3v2.3 header: the tag size (frames plus 256 bytes of padding) as a syncsafe integer.
    size=$(( $(stat -c %s "$work/frames") + 256 ))
    printf 'ID3\x03\x00\x00'
    be32 $(( (size >> 21 & 127) << 24 | (size >> 14 & 127) << 16 | (size >> 7 & 127) << 8 | (size & 127) ))
    cat "$work/frames"
    pad 256
    # Twenty silent MPEG-1 Layer III frames, 128 kbit/s, 44.1 kHz, mono.
    for _ in $(seq 20); do printf '\xff\xfb\x90\xc0'; pad 413; done
    # An ID3v1 tag with the same cp1251 bytes; genre 17 is Rock.
    printf 'TAG'
    for field in "$title" "$artist" "$album"; do printf '%s' "$field"; pad $(( 30 - ${#field} )); done
    pad 34; printf '\x00\x00\x11'
} > "$song"

echo "== What a player shows today (the tags read as Latin-1):"
"$tool" -w -s latin1 -2 unicode "$song" | sed -n '5,9p'
echo
echo "== Preview: tagshifter -w -s cp1251 -1 cp1251 -2 unicode example.mp3"
echo "   (the ID3v1 lines hold cp1251 bytes; they are shown here through iconv)"
preview=$(cd "$work" && "$tool" -w -s cp1251 -1 cp1251 -2 unicode example.mp3)
printf '%s\n' "$preview" | sed -n '1,7p' | iconv -f cp1251 -t utf-8
printf '%s\n' "$preview" | sed -n '8,$p'
echo
echo "== Not sure of the code page? Let it be guessed; the preview names the choice:"
echo "   tagshifter -w -s auto:cp1251,koi8-r -2 unicode example.mp3"
(cd "$work" && "$tool" -w -s auto:cp1251,koi8-r -2 unicode example.mp3) | sed -n '1p;5,7p'
echo
cp "$song" "$work/before.mp3"
echo "== Fix: tagshifter -s cp1251 -1 cp1251 -2 unicode example.mp3"
(cd "$work" && "$tool" -s cp1251 -1 cp1251 -2 unicode example.mp3)
echo
echo "== The ID3v2.4 tag now holds Unicode:"
"$tool" -w -s unicode -2 unicode "$song" | sed -n '5,9p'
echo "== The ID3v1 tag holds cp1251 bytes for old players:"
tail -c 128 "$song" | head -c 33 | tail -c 30 | iconv -f cp1251 -t utf-8 | tr -d '\0'; echo
echo
echo "== Undo: tagshifter -w --undo lists what it would put back, tagshifter --undo does it"
(cd "$work" && "$tool" -w --undo && "$tool" --undo) | sed "s|$work/||"
echo "== The tags hold the cp1251 bytes again, as before the fix:"
"$tool" -w -s latin1 -2 unicode "$song" | sed -n '5,7p'
cmp -s "$song" "$work/before.mp3" && echo "   (byte for byte the file it was before the fix)"
