#!/bin/sh
# Installs a built tree into a scratch DESTDIR with prefix /usr and checks
# what lands there: the program (which runs and prints the project's
# version), the manual page, the bash completion and the licence, and
# nothing else.
# Usage: check_install.sh SOURCE_DIR BUILD_DIR VERSION
set -u
src=${1:?usage: check_install.sh SOURCE_DIR BUILD_DIR VERSION}
build=${2:?usage: check_install.sh SOURCE_DIR BUILD_DIR VERSION}
version=${3:?usage: check_install.sh SOURCE_DIR BUILD_DIR VERSION}
cmake=${CMAKE_COMMAND:-cmake}

. "$(dirname "$0")/check_common.sh"
root=$work/root

if ! DESTDIR=$root "$cmake" --install "$build" --prefix /usr >"$work/log" 2>&1; then
    cat "$work/log"
    echo "FAIL: cmake --install failed"
    exit 1
fi

bin=usr/bin/tagshifter
completion=usr/share/bash-completion/completions/tagshifter
copyright=usr/share/doc/tagshifter/copyright
if [ -e "$root/usr/share/man/man1/tagshifter.1.gz" ]; then
    man=usr/share/man/man1/tagshifter.1.gz
else
    man=usr/share/man/man1/tagshifter.1
fi

# Exactly these files, nothing more.
(cd "$root" && find . ! -type d | sed 's,^\./,,' | LC_ALL=C sort) >"$work/files"
printf '%s\n' "$bin" "$completion" "$man" "$copyright" | LC_ALL=C sort >"$work/expected"
if ! cmp -s "$work/files" "$work/expected"; then
    fail "installed files differ from what is expected (- expected, + installed):"
    diff -u "$work/expected" "$work/files" | sed -n '3,$p'
fi

# The program: executable, runs, and prints the version from project().
if [ -x "$root/$bin" ]; then
    "$root/$bin" --version >"$work/version" 2>&1
    status=$?
    [ "$status" -eq 1 ] || fail "tagshifter --version exits with $status, not 1"
    first=$(sed -n 1p "$work/version")
    [ "$first" = "tagshifter $version" ] ||
        fail "tagshifter --version prints '$first', not 'tagshifter $version'"
else
    fail "$bin is not installed as an executable"
fi

# The manual page and the completion are the ones in the source tree.
case $man in
    *.gz)
        if gzip -t "$root/$man" 2>/dev/null; then
            gzip -dc "$root/$man" | cmp -s - "$src/doc/tagshifter.1" ||
                fail "$man is not doc/tagshifter.1"
        else
            fail "$man is not a valid gzip file"
        fi
        ;;
    *)
        cmp -s "$root/$man" "$src/doc/tagshifter.1" || fail "$man is not doc/tagshifter.1"
        ;;
esac
cmp -s "$root/$completion" "$src/completion/tagshifter.bash" ||
    fail "$completion is not completion/tagshifter.bash"
cmp -s "$root/$copyright" "$src/LICENSE" || fail "$copyright is not LICENSE"

# Modes: files readable by all, directories searchable by all.
for file in "$man" "$completion" "$copyright"; do
    [ -f "$root/$file" ] || continue
    mode=$(stat -c %a "$root/$file")
    [ "$mode" = 644 ] || fail "$file has mode $mode, not 644"
done
[ -f "$root/$bin" ] && { mode=$(stat -c %a "$root/$bin"); [ "$mode" = 755 ] || fail "$bin has mode $mode, not 755"; }

# man finds the page by name under the installed tree.
if command -v man >/dev/null 2>&1; then
    MANPATH=$root/usr/share/man man -w tagshifter >"$work/where" 2>&1 ||
        fail "man -w tagshifter does not find the installed page: $(cat "$work/where")"
fi

# bash-completion, where it is installed, loads the completion on demand
# from the installed tree by the command's name.
loader=/usr/share/bash-completion/bash_completion
if [ -r "$loader" ] && command -v bash >/dev/null 2>&1; then
    XDG_DATA_DIRS=$root/usr/share bash -c '
        . "$1" >/dev/null 2>&1
        __load_completion tagshifter && complete -p tagshifter' sh "$loader" >"$work/loaded" 2>&1
    grep -q -- '-F _tagshifter' "$work/loaded" ||
        fail "bash-completion does not load the installed completion: $(cat "$work/loaded")"
else
    echo "note: bash-completion is not installed; its loading of the script is not checked"
fi

finish "install tree"
