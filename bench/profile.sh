#!/bin/bash
# Where one file's time goes: runs tagshifter and the floor under callgrind on
# N small files (default 100) and prints instructions per file for the main
# steps. Needs valgrind. Build first with bench/run.sh (or the same cmake line).
#
#   bench/profile.sh [N]
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build="$(dirname "$here")/build-bench"
count=${1:-100}
work="${TMPDIR:-/tmp}/tagshifter-profile"
rm -rf "$work"
mkdir -p "$work"
/usr/bin/python3 "$here/make_fixtures.py" "$work/pristine" "$count" 96 512

profile() {  # label, command...
    local label=$1
    shift
    rm -rf "$work/run"
    cp -r "$work/pristine" "$work/run"
    (cd "$work/run" && valgrind --tool=callgrind --callgrind-out-file="$work/$label.cg" \
        "$@" ./*.mp3 2>/dev/null)
    callgrind_annotate --inclusive=yes --auto=no --threshold=100 "$work/$label.cg" 2>/dev/null > "$work/$label.txt"
}

profile tagshifter "$build/tagshifter" -q -s cp1251 -1 cp1251 -2 unicode
profile floor "$build/bench/tagshifter_floor"

# step label, then an extended regex for its line in the inclusive listing
# and whether to take the largest line ("max": one of ours can be listed twice,
# under two spellings of its file) or to add the lines up ("sum")
steps=(
    "whole run|max|PROGRAM TOTALS"
    "MPEG::File open and parse|max|TagLib::MPEG::File::File\\(char const\\*"
    "  audio properties|max|TagLib::MPEG::Properties::Properties\\("
    "  ID3v2 tag parse|max|TagLib::ID3v2::Tag::Tag\\("
    "TagConverter (3 x iconv_open)|max|TagConverter::TagConverter\\("
    "convertField x 5|max|TagConverter::convertField\\("
    "  String::to8Bit|max|TagLib::String::to8Bit"
    "  Recoding::recode (iconv)|max|Recoding::recode\\("
    "  TagLib::String from bytes|max|TagLib::String::String\\(std::"
    "setters, ID3v1 + ID3v2 (*)|sum|TagLib::ID3v[12]::Tag::set(Title|Artist|Album|Comment|Genre)\\("
    "save|max|TagLib::MPEG::File::save\\(int"
    "  ID3v2 render|max|TagLib::ID3v2::Tag::render\\(TagLib::ID3v2::Version\\)"
    "  ID3v2 -> ID3v1 duplicate|max|TagLib::Tag::duplicate\\("
    "close (~MPEG::File)|max|TagLib::MPEG::File::~File\\(\\)"
    "~TagConverter (3 x iconv_close)|max|TagConverter::~TagConverter\\(\\)"
    "malloc|max|malloc.c:malloc "
    "free|max|malloc.c:free "
)
printf '%-34s %14s %14s\n' "instructions per file ($count files)" tagshifter floor
for step in "${steps[@]}"; do
    label=${step%%|*}
    mode=${step#*|}
    pattern=${mode#*|}
    mode=${mode%%|*}
    row=$(printf '%-34s' "$label")
    for who in tagshifter floor; do
        total=$({ grep -E "$pattern" "$work/$who.txt" || true; } | { grep -v '=>' || true; } \
            | awk -v mode="$mode" '{gsub(",", "", $1); s += $1; if ($1 + 0 > m) m = $1 + 0}
                                   END {print (mode == "sum" ? s : m) + 0}')
        row+=$(printf ' %14d' $((total / count)))
    done
    echo "$row"
done
echo "the whole run includes start-up, about 3.5 million instructions once"
echo "(*) with those that save calls to fill the ID3v1 tag from the ID3v2 tag"
echo "listings: $work/tagshifter.txt $work/floor.txt"
