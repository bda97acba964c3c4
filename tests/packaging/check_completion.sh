#!/bin/bash
# Drives the bash completion as bash would: sets COMP_WORDS and
# COMP_CWORD, calls the completion function and checks COMPREPLY.
# Usage: check_completion.sh SOURCE_DIR
set -u
src=${1:?usage: check_completion.sh SOURCE_DIR}
script=$src/completion/tagshifter.bash
messages=$src/src/common/messages.h

if ! command -v iconv >/dev/null 2>&1; then
    echo "SKIP: iconv is not installed"
    exit 77
fi

# shellcheck source=/dev/null
source "$script" || { echo "FAIL: cannot source $script"; exit 1; }

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# The default word breaks of an interactive bash.
COMP_WORDBREAKS=$' \t\n"\'><=;|&(:'

# complete WORD... : the words of the command line, the last one being the
# one under the cursor. Leaves the replies in COMPREPLY.
complete_words() {
    COMP_WORDS=("$@")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMP_LINE="$*"
    COMP_POINT=${#COMP_LINE}
    COMPREPLY=()
    _tagshifter
}

offers() {  # offers REPLY : COMPREPLY holds REPLY
    local reply
    for reply in "${COMPREPLY[@]}"; do
        [[ $reply == "$1" ]] && return 0
    done
    return 1
}

expect() {  # expect "REPLY..." WORD... : every REPLY is offered
    local wanted=$1 reply
    shift
    complete_words "$@"
    for reply in $wanted; do
        offers "$reply" || fail "[$*] does not offer '$reply' (offers: ${COMPREPLY[*]:0:10})"
    done
}

refuse() {  # refuse "REPLY..." WORD... : no REPLY is offered
    local unwanted=$1 reply
    shift
    complete_words "$@"
    for reply in $unwanted; do
        offers "$reply" && fail "[$*] offers '$reply'"
    done
}

exactly() {  # exactly "REPLY..." WORD... : the replies are REPLY... and no more
    local wanted=$1
    shift
    complete_words "$@"
    [[ "${COMPREPLY[*]}" == "$wanted" ]] ||
        fail "[$*] offers '${COMPREPLY[*]:0:10}', not '$wanted'"
}

complete -p tagshifter 2>/dev/null | grep -q -- '-F _tagshifter' ||
    fail "sourcing the script does not register _tagshifter for tagshifter"

# Options: every option of the usage text, short and long.
options=$(sed -n '/kUsage\[\]/,/;$/p' "$messages" |
    grep -oE '^ *" +(-[a-z0-9], )?--[a-z0-9.-]+' | grep -oE -- '--?[a-z0-9.-]+')
[[ -n $options ]] || fail "no options found in the usage text of $messages"
complete_words tagshifter -
for option in $options; do
    offers "$option" || offers "$option=" || fail "'-' does not offer $option"
done
exactly "--source-encoding=" tagshifter --so
exactly "--preserve-unicode --preview" tagshifter --pr
exactly "--id3v1-encoding= --id3v2-encoding= --id3v2.3" tagshifter --id3v

# Encodings after each of the three options, in both forms.
for option in -s --source-encoding -1 --id3v1-encoding -2 --id3v2-encoding; do
    expect "cp1251 cp1252" tagshifter "$option" cp125
    expect "koi8-r koi8-u" tagshifter -q "$option" koi8-
    refuse "-q --quiet" tagshifter "$option" ""
done
# An empty word after the option offers the whole iconv list.
complete_words tagshifter -2 ""
(( ${#COMPREPLY[@]} > 100 )) || fail "-2 '' offers only ${#COMPREPLY[@]} names"
for name in utf-8 cp1251 iso-8859-5 koi8-r; do
    offers "$name" || fail "-2 '' does not offer $name"
done

# "unicode" and "none" only where the tool takes them.
expect unicode tagshifter -s uni
refuse none tagshifter -s no
expect none tagshifter -1 no
refuse unicode tagshifter -1 uni
# -1 takes code pages only; -2 offers its own word first.
refuse "unicodebig utf-8 utf-16 ucs-2" tagshifter -1 u
complete_words tagshifter -2 u
[[ ${COMPREPLY[0]-} == unicode ]] || fail "-2 u offers '${COMPREPLY[0]-}' first, not 'unicode'"
expect none tagshifter -2 no
expect unicode tagshifter -2 uni
expect "none unicode" tagshifter --id3v2-encoding ""
complete_words tagshifter -2 unicode
[[ $(printf '%s\n' "${COMPREPLY[@]}" | grep -cx unicode) == 1 ]] ||
    fail "-2 unicode offers 'unicode' other than once: ${COMPREPLY[*]}"

# The code-page guess: "auto", "auto:", then names after the colon and
# after each comma of the list.
expect "auto auto:" tagshifter -s au
refuse "auto" tagshifter -2 au
expect "auto" tagshifter -1 au
expect "cp1251" tagshifter -s auto : cp125
expect "cp1251,koi8-r cp1251,koi8-u" tagshifter -s auto : cp1251,koi8-
expect "cp1251,koi8-r" tagshifter -sauto : cp1251,koi8-r
expect "cp1251,cp866" tagshifter --source-encoding = auto : cp1251,cp86

# --option=value: bash splits the word at "=", and replaces only what
# follows it, so the replies are bare values.
expect "none unicode" tagshifter --id3v2-encoding =
expect "cp1251" tagshifter --source-encoding = cp125
refuse "none" tagshifter --source-encoding = no
expect "none" tagshifter -w --id3v1-encoding = no
refuse "unicode" tagshifter --id3v1-encoding = uni
# Where "=" does not break words, the whole word is replaced.
COMP_WORDBREAKS=$' \t\n"\'><;|&(:'
expect "--id3v2-encoding=unicode" tagshifter --id3v2-encoding=uni
expect "--source-encoding=cp1251" tagshifter --source-encoding=cp125
COMP_WORDBREAKS=$' \t\n"\'><=;|&(:'

# Names with a colon: bash splits them at ":" as well.
expect 1987 tagshifter -s iso_8859-1 : 19
expect 1987 tagshifter --source-encoding = iso_8859-1 : 1
# A short option with its value joined to it.
expect "-scp1251" tagshifter -scp125
exactly "-2" tagshifter -2
expect "-2unicode" tagshifter -2uni
# Encoding names are lowercased by the tool: capitals match as well.
expect "CP1251" tagshifter -s CP125
# A name that matches nothing offers nothing (and no file names).
exactly "" tagshifter -s no-such-code-page

# File names elsewhere, and after "--" even when they start with "-".
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
touch "$work/song one.mp3" "$work/-w.mp3" "$work/other.mp3"
cd "$work" || exit 1
exactly "song one.mp3" tagshifter -s cp1251 so
exactly "song one.mp3" tagshifter -s cp1251 -2 unicode so
exactly "-w.mp3" tagshifter -s cp1251 -- -w
exactly "-w" tagshifter -s cp1251 -w
# --undo= offers the journals of the state folder by name.
mkdir -p "$work/state/tagshifter"
touch "$work/state/tagshifter/2026-12-09_21-04-11.532114Z.journal"
XDG_STATE_HOME=$work/state exactly "2026-12-09_21-04-11.532114Z.journal" tagshifter --undo = 2026

if (( failures != 0 )); then
    echo "$failures check(s) failed"
    exit 1
fi
echo "bash completion: all checks passed"
