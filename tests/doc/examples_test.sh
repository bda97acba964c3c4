#!/usr/bin/env bash
# The manual page's examples, rendered as man shows them, are what must be
# typed: plain ASCII, every quote kept. Each is then run as written, in
# order, in a scratch home whose ~/Music holds a small cp1251 library, and
# must succeed; those that pipe --json into jq must print something. The
# README's jq examples are run the same way.
#
#   tests/doc/examples_test.sh SOURCE_DIR PROGRAM
set -uo pipefail
src=${1:?usage: examples_test.sh SOURCE_DIR PROGRAM}
program=${2:?usage: examples_test.sh SOURCE_DIR PROGRAM}
for tool in groff jq; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "SKIP: $tool is not installed"
        exit 77
    fi
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# The examples as man shows them: the EXAMPLES section, one long line per
# line of the page; a command is indented further than the prose, and a
# line that ends in "|" goes on in the next one.
groff -man -Tutf8 -P-cbou -rLL=300n -rHY=0 "$src/doc/tagshifter.1" 2>/dev/null |
    sed -n '/^EXAMPLES/,/^SEE ALSO/p' | grep -E '^ {10,}[^ ]' >"$work/lines"
[ -s "$work/lines" ] || fail "no example found in the manual page"
if LC_ALL=C grep -n '[^ -~]' "$work/lines"; then
    fail "the examples above show characters that are not typed as such"
fi
awk '{ sub(/^ +/, ""); line = line $0 } !/\|$/ { print line; line = "" } /\|$/ { line = line " " }' \
    "$work/lines" >"$work/examples"
grep -q 'jq ' "$work/examples" || fail "no jq example in the manual page"

# The README's: an indented build/tagshifter line piped into jq.
awk '/^    build\/tagshifter.*\|$/ { line = substr($0, 5); next }
     line != "" { sub(/^ +/, ""); print line " " $0; line = "" }' "$src/README.md" >"$work/readme"
grep -q 'jq ' "$work/readme" || fail "no jq example in the README"

# A library of an album in cp1251 tags, with a folder of its own below.
. "$src/scripts/example-mp3.sh"
home=$work/home
mkdir -p "$work/bin"
fresh_library() {
    rm -rf "$home"
    mkdir -p "$home/Music/Kino/Live"
    example_mp3 "$home/Music/Kino/01.mp3" $'\xcf\xf0\xe8\xe2\xe5\xf2' $'\xca\xe8\xed\xee' $'\xc3\xf0\xf3\xef\xef\xe0'
    example_mp3 "$home/Music/Kino/02.mp3" $'\xca\xee\xed\xe5\xf6' $'\xca\xe8\xed\xee' $'\xc3\xf0\xf3\xef\xef\xe0'
    example_mp3 "$home/Music/Kino/Live/01.mp3" $'\xcb\xe5\xf2\xee' $'\xca\xe8\xed\xee' $'\xc6\xe8\xe2\xee\xe9'
}
ln -s "$(cd "$(dirname "$program")" && pwd)/$(basename "$program")" "$work/bin/tagshifter"
ln -s "$(cd "$(dirname "$program")" && pwd)" "$work/build"

run() {
    local where=$1 example=$2
    local out
    out=$(cd "$where" && env -u XDG_STATE_HOME HOME="$home" PATH="$work/bin:$PATH" \
        bash -c "set -o pipefail; $example" 2>"$work/err")
    local status=$?
    if [ $status -ne 0 ]; then
        fail "exit $status: $example"
        sed 's/^/    /' "$work/err"
    elif [[ $example == *"jq "* && -z $out ]]; then
        fail "printed nothing: $example"
    else
        echo "ok: $example"
    fi
}

fresh_library
while IFS= read -r example; do
    case $example in
        *NAME*) echo "as a pattern only: $example" ;;
        *) run "$home/Music/Kino" "$example" ;;
    esac
done <"$work/examples"
# Each of the README's on the library as it was before any run.
while IFS= read -r example; do
    fresh_library
    run "$work" "$example"
done <"$work/readme"

if [ $failures -gt 0 ]; then
    echo "$failures example(s) failed"
    exit 1
fi
echo "every example ran as written"
