#!/bin/sh
# Checks the manual page: groff reads it with no warning at all, it has the
# usual sections, and it names every option of the usage text and every
# error the tool can stop with.
# Usage: check_manpage.sh SOURCE_DIR
set -u
src=${1:?usage: check_manpage.sh SOURCE_DIR}
page=$src/doc/tagshifter.1
messages=$src/src/common/messages.h

if ! command -v groff >/dev/null 2>&1; then
    echo "SKIP: groff is not installed"
    exit 77
fi

. "$(dirname "$0")/check_common.sh"

# -ww turns on every warning; -z formats without output. The terminal
# devices are checked as well, since man uses them.
for device in ps utf8 ascii; do
    groff -man -ww -z -T"$device" "$page" >"$work/warnings" 2>&1 || fail "groff -T$device failed"
    if [ -s "$work/warnings" ]; then
        fail "groff -T$device warns:"
        cat "$work/warnings"
    fi
done

# The page as text on one long line, without hyphenation or adjustment, so
# that phrases can be looked for whole.
groff -man -Tascii -P-cbou -rLL=2000n -rHY=0 "$page" 2>/dev/null |
    tr -s ' \n' '  ' >"$work/text"
has() {
    grep -qF -- "$1" "$work/text"
}

for section in NAME SYNOPSIS DESCRIPTION OPTIONS "EXIT STATUS" EXAMPLES "SEE ALSO" WARNING; do
    has "$section" || fail "no section $section"
done
has "iconv(1)" || fail "SEE ALSO does not name iconv(1)"
has "iconv --list" || fail "does not tell how to list the code pages"

# Every option in the usage text, short and long, appears in the page.
options=$(sed -n '/kUsage\[\]/,/;$/p' "$messages" |
    grep -oE '^ *" +(-[a-z0-9], )?--[a-z0-9.-]+' | grep -oE -- '--?[a-z0-9.-]+')
[ -n "$options" ] || fail "no options found in the usage text of $messages"
for option in $options; do
    has "$option" || fail "option $option is missing"
done

# Every fixed error the tool stops with appears as the tool prints it.
errors=$(grep -E 'k(CannotOpen[A-Za-z0-9]*Encoding|Id3v1NoUnicode|EncodingError)\[\]' "$messages" |
    sed -e 's/^[^"]*"//' -e 's/\\n".*$//')
[ -n "$errors" ] || fail "no error texts found in $messages"
echo "$errors" | while IFS= read -r error; do
    has "$error" || { echo "FAIL: error \"$error\" is missing"; echo x >>"$work/missing"; }
done
[ -e "$work/missing" ] && failures=$((failures + 1))

for phrase in "Cannot open file:" "...done" "failed!" "does not contain any ID3 tags, skipping." \
    "Error:" "none" "unicode" "removed" "U+0100" "id3v1:" "id3v2:" "empty." "xargs -0"; do
    has "$phrase" || fail "does not mention \"$phrase\""
done

finish "manual page"
