#!/bin/sh
# Compiles every source under src/ against the headers of TagLib 2.x, so
# that the tool keeps building with both TagLib 1.13 and 2.x and uses no
# API that either has deprecated.
#
# Debian 13 (trixie) ships TagLib 2; this machine's release may not. The
# script fetches trixie's libtag-dev and libtag2 with apt-get download,
# through its own sources list, state and cache in a scratch folder (the
# machine's own apt set-up is left alone), with the mirror taken from the
# machine's apt sources. It unpacks them with dpkg -x and compiles only
# (-fsyntax-only): that library needs a newer C library than Debian 12
# has, so nothing is linked.
#
# Usage: scripts/check-taglib2.sh [BUILD_DIR]
#   BUILD_DIR  a configured build folder, for its generated headers; without
#              it the version header is made from the top-level project().
# Environment:
#   TAGLIB2_SUITE   Debian suite to take TagLib 2 from (default: trixie)
#   TAGLIB2_MIRROR  Debian mirror URI (default: the one apt is set up with)
#   TAGLIB2_ROOT    an unpacked TagLib 2 tree to use instead of downloading
#   CXX             the C++ compiler (default: c++)
#   TAGLIB2_SKIP_STATUS  exit status when the step is skipped (default: 0)
#
# Exit status: 0 when the sources compile, or when TagLib 2 could not be
# downloaded (the step is then skipped, with a message saying so); 1 when a
# source does not compile; 2 on wrong use.
set -u

here=$(cd "$(dirname "$0")" && pwd)
src=$(cd "$here/.." && pwd)
build=${1:-}
suite=${TAGLIB2_SUITE:-trixie}
cxx=${CXX:-c++}

say() {
    echo "check-taglib2: $*"
}

skip() {
    say "SKIPPED: $*"
    say "the TagLib 2 compile step did not run"
    exit "${TAGLIB2_SKIP_STATUS:-0}"
}

if [ -n "$build" ] && [ ! -d "$build" ]; then
    say "no such build folder: $build"
    exit 2
fi

scratch=$(mktemp -d "${TMPDIR:-/tmp}/taglib2.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
# apt fetches as the unprivileged _apt user when run as root.
chmod 755 "$scratch"

# Prints the URI of the machine's main Debian archive (not the security
# archive), from the one-line and deb822 sources files.
find_mirror() {
    for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        [ -r "$file" ] || continue
        awk '
            /^[ \t]*deb[ \t]/ {
                i = 2
                if ($i ~ /^\[/) { while ($i !~ /\]$/) i++; i++ }
                uri = $i; suite = $(i + 1)
                if (uri ~ /\/debian\/?$/ && suite !~ /-security/) { print uri; exit }
            }' "$file"
    done
    for file in /etc/apt/sources.list.d/*.sources; do
        [ -r "$file" ] || continue
        awk '
            function flush() {
                if (types ~ /(^| )deb( |$)/ && suites !~ /-security/ && enabled !~ /^no$/) {
                    n = split(uris, list, " ")
                    for (k = 1; k <= n; k++)
                        if (list[k] ~ /\/debian\/?$/) { print list[k]; found = 1; exit }
                }
                types = uris = suites = enabled = ""
            }
            /^[ \t]*#/ { next }
            /^[ \t]*$/ { flush(); next }
            tolower($1) == "types:"   { sub(/^[^:]*:[ \t]*/, ""); types = $0 }
            tolower($1) == "uris:"    { sub(/^[^:]*:[ \t]*/, ""); uris = $0 }
            tolower($1) == "suites:"  { sub(/^[^:]*:[ \t]*/, ""); suites = $0 }
            tolower($1) == "enabled:" { sub(/^[^:]*:[ \t]*/, ""); enabled = tolower($0) }
            END { if (!found) flush() }' "$file"
    done
}

download_taglib2() {
    if ! command -v apt-get >/dev/null 2>&1 || ! command -v dpkg >/dev/null 2>&1; then
        skip "apt-get and dpkg are needed to fetch TagLib 2"
    fi
    if [ -n "${TAGLIB2_MIRROR:-}" ]; then
        mirror=$TAGLIB2_MIRROR
        say "fetching TagLib 2 from $suite at $mirror (TAGLIB2_MIRROR)"
    else
        mirror=$(find_mirror | sed -n 1p)
        [ -n "$mirror" ] || skip "found no Debian mirror in the apt sources of this machine"
        say "fetching TagLib 2 from $suite at $mirror (from the apt sources)"
    fi

    apt=$scratch/apt
    mkdir -p "$apt/parts" "$apt/state/lists/partial" "$apt/cache/archives/partial" "$scratch/debs"
    keyring=/usr/share/keyrings/debian-archive-keyring.gpg
    if [ -r "$keyring" ]; then
        echo "deb [signed-by=$keyring] $mirror $suite main" >"$apt/sources.list"
    else
        echo "deb $mirror $suite main" >"$apt/sources.list"
    fi
    chmod -R a+rX "$apt"
    set -- -o "Dir::Etc::SourceList=$apt/sources.list" \
        -o "Dir::Etc::SourceParts=$apt/parts" \
        -o "Dir::State=$apt/state" \
        -o "Dir::Cache=$apt/cache" \
        -o "Debug::NoLocking=true" \
        -o "APT::Get::List-Cleanup=false"

    if ! apt-get "$@" -q update >"$scratch/update.log" 2>&1; then
        sed 's/^/  /' "$scratch/update.log"
        skip "apt-get update of $suite failed"
    fi
    if ! (cd "$scratch/debs" && apt-get "$@" -q download "libtag-dev/$suite" "libtag2/$suite") \
        >"$scratch/download.log" 2>&1; then
        sed 's/^/  /' "$scratch/update.log" "$scratch/download.log"
        skip "apt-get download of libtag-dev and libtag2 from $suite failed"
    fi

    root=$scratch/root
    mkdir -p "$root"
    for deb in "$scratch"/debs/*.deb; do
        say "unpacking $(basename "$deb")"
        if ! dpkg -x "$deb" "$root"; then
            say "FAILED: dpkg -x $deb"
            exit 1
        fi
    done
}

if [ -n "${TAGLIB2_ROOT:-}" ]; then
    root=$TAGLIB2_ROOT
else
    download_taglib2
fi
include=$root/usr/include
if [ ! -r "$include/taglib/tag.h" ]; then
    say "FAILED: no TagLib headers under $include"
    exit 1
fi

# The generated headers: from the build folder, or made here the same way
# CMake makes them.
generated=$scratch/generated
if [ -n "$build" ] && [ -r "$build/generated/tagshifter_version.h" ]; then
    generated=$build/generated
else
    version=$(sed -n 's/^project(tagshifter VERSION \([0-9.]*\).*/\1/p' "$src/CMakeLists.txt")
    if [ -z "$version" ]; then
        say "FAILED: cannot read the version from project() in CMakeLists.txt"
        exit 1
    fi
    mkdir -p "$generated"
    sed "s/@PROJECT_VERSION@/$version/" "$src/cmake/version.h.in" >"$generated/tagshifter_version.h"
fi

# TagLib's own headers come in as system headers: warnings about them are
# not this tool's. A use of deprecated API in the tool's code is an error.
flags="-std=c++17 -Wall -Wextra -Werror=deprecated-declarations -fsyntax-only"
includes="-I$src/src -I$generated -isystem $include -isystem $include/taglib"

# First make sure the headers are TagLib 2, not the machine's own.
cat >"$scratch/probe.cpp" <<'PROBE'
#include <taglib/taglib.h>
static_assert(TAGLIB_MAJOR_VERSION == 2, "not TagLib 2");
#include <cstdio>
int main() { std::printf("%d.%d.%d\n", TAGLIB_MAJOR_VERSION, TAGLIB_MINOR_VERSION, TAGLIB_PATCH_VERSION); }
PROBE
# shellcheck disable=SC2086
if ! "$cxx" $flags $includes "$scratch/probe.cpp"; then
    say "FAILED: the headers under $include are not TagLib 2"
    exit 1
fi
taglib_version=$(sed -n 's/^#define TAGLIB_\(MAJOR\|MINOR\|PATCH\)_VERSION \([0-9]*\).*/\2/p' \
    "$include/taglib/taglib.h" | paste -sd. -)
say "compiling against TagLib $taglib_version headers with $cxx"

failed=0
count=0
for file in $(cd "$src" && find src -name '*.cpp' | LC_ALL=C sort); do
    count=$((count + 1))
    # shellcheck disable=SC2086
    if "$cxx" $flags $includes "$src/$file"; then
        say "ok      $file"
    else
        say "FAILED  $file"
        failed=$((failed + 1))
    fi
done

if [ "$count" -eq 0 ]; then
    say "FAILED: found no sources under src/"
    exit 1
fi
if [ "$failed" -ne 0 ]; then
    say "$failed of $count sources do not compile against TagLib $taglib_version"
    exit 1
fi
say "all $count sources compile against TagLib $taglib_version"
