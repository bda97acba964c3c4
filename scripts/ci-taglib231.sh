#!/usr/bin/env bash
# The whole test suite against upstream TagLib 2.3.1, whose 2.2 and later
# read some frames differently from Debian's 1.13 and 2.0.2: builds it from
# the tarball in shared/taglib beside the repository (a Release build of the
# parts an MP3 needs: MPEG, ID3, APE and zlib, no other formats, no tests),
# then the tool and its tests against it, and runs the suite (all but the
# packaging checks, which need the system's TagLib). Each step is timed.
#
#   scripts/ci-taglib231.sh [BUILD_DIR]
#
# BUILD_DIR (default build-taglib231) holds TagLib's build, its install and
# the tool's build. The tarball is $TAGSHIFTER_TAGLIB_SOURCE/taglib-2.3.1.tar.gz,
# else shared/taglib beside the repository, else /work/shared/taglib; without
# it the step says it is SKIPPED and exits 0. Installs what building TagLib
# needs (libutfcpp-dev, zlib1g-dev) with apt-get when missing; the tool's
# own dependencies are scripts/setup.sh's.
set -uo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build-taglib231}
case $build in /*) ;; *) build=$PWD/$build ;; esac
started=$(date +%s)

say() {
    echo "ci-taglib231: $*"
}

tarball=""
for folder in ${TAGSHIFTER_TAGLIB_SOURCE:-} "$here/../shared/taglib" /work/shared/taglib; do
    if [ -f "$folder/taglib-2.3.1.tar.gz" ]; then
        tarball=$folder/taglib-2.3.1.tar.gz
        break
    fi
done
if [ -z "$tarball" ]; then
    say "SKIPPED: no taglib-2.3.1.tar.gz in shared/taglib beside the repository"
    exit 0
fi

missing=()
for package in cmake g++ make pkg-config libutfcpp-dev zlib1g-dev; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" \
        || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    say "installing ${missing[*]}"
    $sudo apt-get update -qq && DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
fi

failed=""
timings=()
step() {
    local name=$1
    shift
    say "$name"
    local start
    start=$(date +%s)
    "$@"
    local result=$?
    timings+=("$name: $(( $(date +%s) - start )) s (exit $result)")
    [ $result -eq 0 ] || failed="$failed $name"
    return $result
}

launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
prefix=$build/taglib
jobs=$(nproc)

build_taglib() {
    rm -rf "$build/taglib-source" "$build/taglib-build" "$prefix"
    mkdir -p "$build/taglib-source" || return 1
    tar -xzf "$tarball" -C "$build/taglib-source" || return 1
    cmake -S "$build/taglib-source/taglib-2.3.1" -B "$build/taglib-build" "${launcher[@]}" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=ON \
        -DBUILD_TESTING=OFF -DBUILD_EXAMPLES=OFF -DBUILD_BINDINGS=OFF \
        -DWITH_APE=ON -DWITH_ZLIB=ON -DWITH_ASF=OFF -DWITH_DSF=OFF -DWITH_MATROSKA=OFF -DWITH_MOD=OFF \
        -DWITH_MP4=OFF -DWITH_RIFF=OFF -DWITH_SHORTEN=OFF -DWITH_TRUEAUDIO=OFF -DWITH_VORBIS=OFF \
        >/dev/null || return 1
    cmake --build "$build/taglib-build" -j"$jobs" >/dev/null && cmake --install "$build/taglib-build" >/dev/null
}

build_tool() {
    PKG_CONFIG_PATH=$prefix/lib/pkgconfig cmake -S "$here" -B "$build/tool" "${launcher[@]}" \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAGSHIFTER_BUILD_TESTS=ON -DCMAKE_BUILD_RPATH="$prefix/lib" \
        >/dev/null || return 1
    cmake --build "$build/tool" -j"$jobs" >/dev/null || return 1
    # The program must run on the TagLib just built, not on the system's.
    if ! ldd "$build/tool/tagshifter" | grep -q "$prefix/lib/libtag"; then
        say "the program is not linked to $prefix/lib"
        return 1
    fi
}

if step "TagLib 2.3.1" build_taglib && step "the tool against it" build_tool; then
    # The packaging checks install the program where no RPATH leads to this
    # TagLib; they are ci-packaging.sh's, against the system's TagLib.
    step "the test suite" ctest --test-dir "$build/tool" -j"$jobs" --output-on-failure -E '^packaging\.|^BlindEvaluation\.'
fi

say "times"
printf '   %s\n' "${timings[@]}"
say "all: $(( $(date +%s) - started )) s"
if [ -n "$failed" ]; then
    say "FAILED:$failed"
    exit 1
fi
say "the suite passed on TagLib 2.3.1"
