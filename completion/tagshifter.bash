# bash completion for tagshifter
#
# Completes the options, the encoding names after -s, -1 and -2 (the names
# that "iconv --list" knows, with "unicode" and "none" where the tool takes
# them, "auto" after -1, and "auto" and the names of an "auto:" list after -s;
# no Unicode encoding after -1), and file
# names everywhere else (journal files after --journal= and --undo=, and
# the journals of the state folder after --undo=). Values after
# "--long-option=" are completed too. Installed, it is loaded by the
# bash-completion package; without that package, source it from ~/.bashrc.

# Prints the names "iconv --list" knows, lowercased, one a line, less
# "unicode" and "none", which mean something else to the tool. The list is
# read once per shell.
_tagshifter_iconv_names()
{
    if [[ -z ${_tagshifter_iconv_cache-} ]]; then
        # glibc prints "NAME//" one a line (or comma-separated on a
        # terminal); other iconv programs print aliases on one line.
        _tagshifter_iconv_cache=$(iconv --list 2>/dev/null |
            tr ', \t' '\n\n\n' | sed -e 's,/*$,,' -e '/^$/d' |
            tr '[:upper:]' '[:lower:]' | LC_ALL=C sort -u |
            sed -e '/^unicode$/d' -e '/^none$/d')
    fi
    printf '%s\n' "$_tagshifter_iconv_cache"
}

# Prints the values that the option $1 takes, one a line.
_tagshifter_values()
{
    case $1 in
        -s | --source-encoding) printf '%s\n' unicode auto auto: ;;
        -1 | --id3v1-encoding)
            # ID3v1 holds one byte a character: no Unicode encoding fits.
            printf '%s\n' none auto
            _tagshifter_iconv_names | grep -vE '^(uni|utf|ucs|iso-10646|10646|wchar_t$|internal$)'
            return
            ;;
        -2 | --id3v2-encoding) printf '%s\n' none unicode ;;
    esac
    _tagshifter_iconv_names
}

# Sets COMPREPLY to the lines of $2 that start with $1, matched without
# regard to case, since the tool lowercases encoding names. A word typed in
# capitals is completed in capitals.
_tagshifter_match()
{
    local typed=$1 lower=${1,,} line
    COMPREPLY=()
    while IFS= read -r line; do
        if [[ $line == "$lower"* ]]; then
            [[ $typed != "$lower" ]] && line=${line^^}
            COMPREPLY+=("$line")
        fi
    done <<<"$2"
}

_tagshifter()
{
    local words=("${COMP_WORDS[@]}") cword=$COMP_CWORD
    local cur=${words[cword]-} prev i start

    # Bash splits "--opt=value" and "iso_8859-1:1987" at "=" and ":" into
    # several words; put the word under the cursor back together.
    start=$cword
    if [[ -n $cur ]]; then
        while ((start > 1)) &&
            [[ ${words[start]} == [=:] || ${words[start - 1]} == [=:] ]]; do
            ((start--))
        done
    fi
    cur=
    for ((i = start; i <= cword; i++)); do
        cur+=${words[i]}
    done
    prev=${words[start - 1]-}

    # After "--" every word is a file.
    local only_files=''
    for ((i = 1; i < start; i++)); do
        [[ ${words[i]} == -- ]] && only_files=1
    done

    local option='' value='' prefix=''
    if [[ -z $only_files ]]; then
        case $prev in
            -s | --source-encoding | -1 | --id3v1-encoding | -2 | --id3v2-encoding)
                option=$prev value=$cur
                ;;
        esac
        if [[ -z $option ]]; then
            case $cur in
                --source-encoding=* | --id3v1-encoding=* | --id3v2-encoding=*)
                    option=${cur%%=*} prefix=$option= value=${cur#*=}
                    ;;
                -[s12]?*)
                    option=${cur:0:2} prefix=$option value=${cur:2}
                    ;;
            esac
        fi
    fi

    if [[ -n $option ]]; then
        local values list=''
        if [[ $option == -s || $option == --source-encoding ]] && [[ ${value,,} == auto:* ]]; then
            # "auto:NAME,NAME,...": the name after the last comma is completed,
            # and the word stays open for another comma.
            local rest=${value:5}
            list=${value:0:5}${rest%"${rest##*,}"}
            value=${rest##*,}
            values=$(_tagshifter_iconv_names)
        else
            values=$(_tagshifter_values "$option")
        fi
        _tagshifter_match "$value" "$values"
        # The tool's own words ("unicode", "none", "auto") before iconv's names.
        compopt -o nosort 2>/dev/null
        if [[ -n $list ]] || [[ ${#COMPREPLY[@]} -eq 1 && ${COMPREPLY[0]} == *: ]]; then
            compopt -o nospace 2>/dev/null
        fi
        if [[ -n $prefix$list ]]; then
            for i in "${!COMPREPLY[@]}"; do
                COMPREPLY[i]=$prefix$list${COMPREPLY[i]}
            done
        fi
    elif [[ -z $only_files && ( $cur == --journal=* || $cur == --undo=* ) ]]; then
        # A journal file: bash replaces only what follows the "=". --undo
        # also takes the bare name of a journal of the state folder.
        mapfile -t COMPREPLY < <(compgen -f -- "${cur#*=}")
        if [[ $cur == --undo=* && ${cur#*=} != */* ]]; then
            local state=${XDG_STATE_HOME-}
            [[ $state == /* ]] || state=${HOME-}/.local/state
            mapfile -t -O ${#COMPREPLY[@]} COMPREPLY < <(cd "$state/tagshifter" 2>/dev/null &&
                compgen -G "${cur#*=}*.journal")
        fi
        compopt -o filenames 2>/dev/null
        return 0
    elif [[ -z $only_files && $cur == -* ]]; then
        local options='-h --help -v --version -s --source-encoding= -1
            --id3v1-encoding= -2 --id3v2-encoding= -p --preserve-unicode
            -w --preview -q --quiet -a --all-frames -k --keep-going
            --id3v2.3 --sync -r --recursive --json --journal= --no-journal
            --undo --list'
        mapfile -t COMPREPLY < <(compgen -W "$options" -- "$cur")
        if [[ ${#COMPREPLY[@]} -eq 1 && ${COMPREPLY[0]} == *= ]]; then
            compopt -o nospace 2>/dev/null
        fi
    else
        mapfile -t COMPREPLY < <(compgen -f -- "$cur")
        compopt -o filenames 2>/dev/null
        return 0
    fi

    # Bash replaces only the text after the last "=" or ":" that it splits
    # words at, so drop what comes up to there from each reply.
    local breaks=${COMP_WORDBREAKS-}
    breaks=${breaks//[^=:]/}
    if [[ -n $breaks && $cur == *[$breaks]* ]]; then
        local head=${cur%"${cur##*[$breaks]}"}
        for i in "${!COMPREPLY[@]}"; do
            COMPREPLY[i]=${COMPREPLY[i]#"$head"}
        done
    fi
    return 0
}

complete -F _tagshifter tagshifter
