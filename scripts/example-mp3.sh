# Sourced by scripts/demo.sh and the examples' tests: writes a small MP3
# whose ID3v2.3 and ID3v1 tags hold the bytes given (cp1251, say), as a
# Windows tagger of the 2000s wrote them.
#
#   example_mp3 FILE TITLE ARTIST ALBUM

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

example_mp3() {
    local file=$1 title=$2 artist=$3 album=$4 frames size field
    # Byte counts, not characters: the tags hold bytes.
    local LC_ALL=C
    frames=$(mktemp)
    { frame TIT2 "$title"; frame TPE1 "$artist"; frame TALB "$album"; frame TCON Rock; } > "$frames"
    {
        # ID3v2.3 header: the tag size (frames plus 256 bytes of padding) as a syncsafe integer.
        size=$(( $(stat -c %s "$frames") + 256 ))
        printf 'ID3\x03\x00\x00'
        be32 $(( (size >> 21 & 127) << 24 | (size >> 14 & 127) << 16 | (size >> 7 & 127) << 8 | (size & 127) ))
        cat "$frames"
        pad 256
        # Twenty silent MPEG-1 Layer III frames, 128 kbit/s, 44.1 kHz, mono.
        for _ in $(seq 20); do printf '\xff\xfb\x90\xc0'; pad 413; done
        # An ID3v1 tag with the same bytes; genre 17 is Rock.
        printf 'TAG'
        for field in "$title" "$artist" "$album"; do printf '%s' "$field"; pad $(( 30 - ${#field} )); done
        pad 34; printf '\x00\x00\x11'
    } > "$file"
    rm -f "$frames"
}
