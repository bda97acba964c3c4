#!/bin/sh
# Checks everything that ships: installs into a DESTDIR, builds the Debian
# package with cpack -G DEB and checks its fields and contents, lints the
# manual page and drives the bash completion. Installs the Debian packages
# these need first.
#
# Usage: scripts/ci-packaging.sh BUILD_DIR
#   BUILD_DIR  a build folder already configured with CMake (it is built
#              here if it is not up to date).
# The package is left in BUILD_DIR/packages/. Exit status: 0 when every check
# passed, 1 otherwise.
set -u

here=$(cd "$(dirname "$0")" && pwd)
src=$(cd "$here/.." && pwd)
build=${1:?usage: scripts/ci-packaging.sh BUILD_DIR}
if [ ! -f "$build/CMakeCache.txt" ]; then
    echo "ci-packaging: $build is not a configured build folder"
    exit 1
fi
build=$(cd "$build" && pwd)

cache_value() {
    sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt" | sed -n 1p
}
version=$(cache_value CMAKE_PROJECT_VERSION)
cmake=$(cache_value CMAKE_COMMAND)
cpack=$(cache_value CMAKE_CPACK_COMMAND)
: "${cmake:=cmake}" "${cpack:=cpack}"
if [ -z "$version" ]; then
    echo "ci-packaging: no project version in $build/CMakeCache.txt"
    exit 1
fi

# The tools the checks need, as "command-or-file package" pairs.
missing=
need() {
    case $1 in
        /*) [ -e "$1" ] ;;
        *) command -v "$1" >/dev/null 2>&1 ;;
    esac || missing="$missing $2"
}
need dpkg-shlibdeps dpkg-dev
need dpkg-deb dpkg
need groff groff
need file file
need gzip gzip
need man man-db
need iconv libc-bin
need /usr/share/bash-completion/bash_completion bash-completion
if [ -n "$missing" ]; then
    if [ "$(id -u)" -eq 0 ]; then
        sudo=
    elif command -v sudo >/dev/null 2>&1; then
        sudo=sudo
    else
        echo "ci-packaging: need$missing, and cannot install them without root or sudo"
        exit 1
    fi
    echo "ci-packaging: installing$missing"
    export DEBIAN_FRONTEND=noninteractive
    # shellcheck disable=SC2086
    if ! { $sudo apt-get update -q && $sudo apt-get install -y -q --no-install-recommends $missing; } \
        >"$build/ci-packaging-apt.log" 2>&1; then
        tail -20 "$build/ci-packaging-apt.log"
        echo "ci-packaging: installing$missing failed"
        exit 1
    fi
fi

echo "ci-packaging: building $build"
if ! "$cmake" --build "$build" -j2 >"$build/ci-packaging-build.log" 2>&1; then
    tail -40 "$build/ci-packaging-build.log"
    echo "ci-packaging: the build failed"
    exit 1
fi

passed=0
failed=0
step() {
    name=$1
    shift
    echo "ci-packaging: --- $name"
    "$@"
    status=$?
    if [ "$status" -eq 0 ]; then
        passed=$((passed + 1))
        echo "ci-packaging: passed  $name"
    else
        failed=$((failed + 1))
        echo "ci-packaging: FAILED  $name (exit $status)"
    fi
}

# Every tool was installed above, so a check that would skip (77) fails.
step install env CMAKE_COMMAND="$cmake" sh "$src/tests/packaging/check_install.sh" "$src" "$build" "$version"
step deb env TAGSHIFTER_DEB_OUT="$build/packages" sh "$src/tests/packaging/check_deb.sh" "$src" "$build" "$version" "$cpack"
step manpage sh "$src/tests/packaging/check_manpage.sh" "$src"
step completion bash "$src/tests/packaging/check_completion.sh" "$src"

echo "packaging: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
