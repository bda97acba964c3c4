#!/usr/bin/env bash
# Builds tagshifter and runs it on a small example: an MP3 whose tags hold
# cp1251 bytes, as a Windows tagger of the 2000s wrote them. It previews
# the fix, applies it, shows what the file holds afterwards, and undoes it.
set -euo pipefail
cd "$(dirname "$0")/.."
tool="$PWD/${BUILD_DIR:-build}/tagshifter"
echo "== Building $tool (a minute or two the first time; what is missing is installed first)"
bash scripts/setup.sh tagshifter |
    sed -u -n -e 's/^Installing: /   installing: /p' \
        -e 's|^\[ *\([0-9]*%\)\] Building CXX object .*/\([^/]*\)\.o$|   \1 compiling \2|p'
echo

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
song="$work/example.mp3"
# The run's journal (what --undo reads) goes with the example, not to ~/.local/state.
export XDG_STATE_HOME="$work/state"

. scripts/example-mp3.sh
export LC_ALL=C
title=$'\xcf\xf0\xe8\xe2\xe5\xf2'                                  # Привет in cp1251
artist=$'\xca\xe8\xed\xee'                                         # Кино
album=$'\xc3\xf0\xf3\xef\xef\xe0 \xea\xf0\xee\xe2\xe8'             # Группа крови
example_mp3 "$song" "$title" "$artist" "$album"

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
