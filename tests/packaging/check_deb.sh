#!/bin/sh
# Builds the Debian package with CPack into a scratch folder and checks its
# control fields (name, version, Depends worked out from the program's
# libraries) and its contents (paths, modes, a stripped program).
# Usage: check_deb.sh SOURCE_DIR BUILD_DIR VERSION [CPACK]
# With TAGSHIFTER_DEB_OUT set, the package is built into that folder and
# kept there.
set -u
src=${1:?usage: check_deb.sh SOURCE_DIR BUILD_DIR VERSION [CPACK]}
build=${2:?usage: check_deb.sh SOURCE_DIR BUILD_DIR VERSION [CPACK]}
version=${3:?usage: check_deb.sh SOURCE_DIR BUILD_DIR VERSION [CPACK]}
cpack=${4:-cpack}

for tool in dpkg-deb dpkg-shlibdeps file; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "SKIP: $tool is not installed (dpkg-dev and file provide them)"
        exit 77
    fi
done

. "$(dirname "$0")/check_common.sh"

out=${TAGSHIFTER_DEB_OUT:-$work/out}
if ! "$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$out" >"$work/log" 2>&1; then
    cat "$work/log"
    echo "FAIL: cpack -G DEB failed"
    exit 1
fi

arch=$(dpkg --print-architecture)
deb=$out/tagshifter_${version}_$arch.deb
if [ ! -f "$deb" ]; then
    echo "FAIL: cpack made no $(basename "$deb"); it made:"
    ls "$out"
    exit 1
fi

# Control fields.
field() {
    dpkg-deb -f "$deb" "$1"
}
[ "$(field Package)" = tagshifter ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "Version is '$(field Version)', not $version"
[ "$(field Architecture)" = "$arch" ] || fail "Architecture is '$(field Architecture)', not $arch"
[ "$(field Section)" = sound ] || fail "Section is '$(field Section)', not sound"
[ "$(field Priority)" = optional ] || fail "Priority is '$(field Priority)', not optional"
field Maintainer | grep -qE '^[^<>]+ <[^<>@ ]+@[^<>@ ]+>$' ||
    fail "Maintainer '$(field Maintainer)' is not 'Name <address>'"
summary=$(field Description | sed -n 1p)
[ -n "$summary" ] && [ "${#summary}" -le 80 ] || fail "Description's first line is empty or too long: '$summary'"
[ "$(field Description | wc -l)" -gt 1 ] || fail "Description has no long text"
field Description | awk 'length > 80 { bad = 1 } END { exit bad }' ||
    fail "Description has lines longer than 80 characters"

# Depends is what dpkg-shlibdeps found: the C and C++ libraries, and the
# packages that hold the very TagLib and uchardet the program is linked to.
depends=$(field Depends)
echo "Depends: $depends"
for package in libc6 libstdc++6; do
    pattern=$(printf '%s' "$package" | sed 's/[+.]/\\&/g')
    echo "$depends" | grep -qE "(^|, )$pattern( |,|$)" || fail "Depends lacks $package"
done
echo "$depends" | grep -qE '(^|, )libc6 \(>= [0-9.]+\)' || fail "Depends gives no least libc6 version"
# depends_on_library LIBRARY NAME: Depends names the package that holds the
# LIBRARY.so.N that the program is linked to.
depends_on_library() {
    local library owner wanted symbols shlibs
    library=$(ldd "$build/tagshifter" | awk -v name="$1.so" 'index($1, name) == 1 { print $1; exit }')
    if [ -z "$library" ]; then
        fail "the built program does not link to $2"
        return
    fi
    # The package that holds the library, then the name its symbols (or
    # shlibs) file tells dependants to depend on, as dpkg-shlibdeps does.
    owner=$(dpkg -S "$library" 2>/dev/null | awk -F': ' -v so="$library" \
        '{ n = split($2, parts, "/"); if (parts[n] == so) { sub(/:.*/, "", $1); print $1; exit } }')
    wanted=
    if [ -n "$owner" ]; then
        symbols=$(dpkg-query --control-path "$owner" symbols 2>/dev/null)
        shlibs=$(dpkg-query --control-path "$owner" shlibs 2>/dev/null)
        if [ -n "$symbols" ]; then
            wanted=$(awk -v so="$library" '$1 == so { print $2; exit }' "$symbols")
        fi
        if [ -z "$wanted" ] && [ -n "$shlibs" ]; then
            wanted=$(awk -v name="${library%%.so.*}" -v major="${library##*.so.}" \
                '$1 == name && $2 == major { print $3; exit }' "$shlibs")
        fi
    fi
    if [ -n "$wanted" ]; then
        echo "$depends" | grep -qE "(^|, )$wanted( |,|$)" ||
            fail "Depends lacks $wanted, for $library"
    else
        echo "note: no Debian package declares $library; the $2 dependency is not checked"
        echo "$depends" | grep -q "$1" || fail "Depends names no $2 package"
    fi
}
depends_on_library libtag TagLib
# uchardet guesses the code page for -s auto.
depends_on_library libuchardet uchardet

# Contents: the four files under /usr, owned by root, with the usual modes.
dpkg-deb -c "$deb" >"$work/contents"
awk '{ print $1, $2, $6 }' "$work/contents" >"$work/listing"
for entry in \
    "-rwxr-xr-x root/root ./usr/bin/tagshifter" \
    "-rw-r--r-- root/root ./usr/share/man/man1/tagshifter.1.gz" \
    "-rw-r--r-- root/root ./usr/share/bash-completion/completions/tagshifter" \
    "-rw-r--r-- root/root ./usr/share/doc/tagshifter/copyright"; do
    grep -qxF -- "$entry" "$work/listing" || fail "the package lacks '$entry'"
done
if grep -v '^d' "$work/listing" | grep -vqE ' \./usr/(bin/tagshifter|share/man/man1/tagshifter\.1\.gz|share/bash-completion/completions/tagshifter|share/doc/tagshifter/copyright)$'; then
    fail "the package holds more files than expected:"
    grep -v '^d' "$work/listing"
fi
grep '^d' "$work/listing" | grep -vq '^drwxr-xr-x root/root ' && fail "a directory is not drwxr-xr-x root/root"

# Unpacked: a stripped program, a valid manual page, the completion and
# the licence as they are.
dpkg-deb -x "$deb" "$work/root"
file "$work/root/usr/bin/tagshifter" | grep -q ', stripped' || fail "the packaged program is not stripped"
gzip -dc "$work/root/usr/share/man/man1/tagshifter.1.gz" | cmp -s - "$src/doc/tagshifter.1" ||
    fail "the packaged manual page is not doc/tagshifter.1"
cmp -s "$work/root/usr/share/bash-completion/completions/tagshifter" "$src/completion/tagshifter.bash" ||
    fail "the packaged completion is not completion/tagshifter.bash"
cmp -s "$work/root/usr/share/doc/tagshifter/copyright" "$src/LICENSE" ||
    fail "the packaged copyright file is not LICENSE"
first=$("$work/root/usr/bin/tagshifter" --version | sed -n 1p)
[ "$first" = "tagshifter $version" ] || fail "the packaged program prints '$first'"

finish "Debian package $(basename "$deb")"
