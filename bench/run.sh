#!/bin/bash
# Benchmarks tagshifter against the peer tool (mid3iconv) and a minimal TagLib
# program (bench/floor.cpp) on files it makes itself, and prints a table.
#
#   bench/run.sh            the full set, 5 rounds: about 3 minutes on 2 cores
#   bench/run.sh --quick    a tiny set, one round: proves the bench still runs
#   bench/run.sh --rounds 7 --only a,b --workdir /tmp/x
#
# Builds into build-bench/ (RelWithDebInfo, no tests) and works in
# $TMPDIR/tagshifter-bench unless --workdir says otherwise.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
workdir="${TMPDIR:-/tmp}/tagshifter-bench"
quick=0
pass=()
while [ $# -gt 0 ]; do
    case "$1" in
    --quick) quick=1; pass+=(--quick --rounds 1); shift ;;
    --rounds|--only) pass+=("$1" "$2"); shift 2 ;;
    --workdir) workdir=$2; shift 2 ;;
    -h|--help) sed -n '2,10p' "$0"; exit 0 ;;
    *) echo "unknown option: $1" >&2; exit 2 ;;
    esac
done

# The peer: Debian's python3-mutagen, run with the system's Python.
if ! /usr/bin/python3 -c 'import mutagen' 2>/dev/null || [ ! -x /usr/bin/mid3iconv ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo apt-get update -qq
    $sudo apt-get install -y -qq python3-mutagen >/dev/null
fi

build="$root/build-bench"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTAGSHIFTER_BUILD_TESTS=OFF -DTAGSHIFTER_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j2 --target tagshifter tagshifter_floor >/dev/null

echo "tagshifter bench, $(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores," \
     "TagLib $(pkg-config --modversion taglib)," \
     "mutagen $(/usr/bin/python3 -c 'import mutagen; print(mutagen.version_string)')," \
     "load $(cut -d' ' -f1-3 /proc/loadavg)"
[ $quick -eq 1 ] && echo "(quick: tiny workloads, one round; the figures mean nothing)"
/usr/bin/python3 "$here/bench.py" --tagshifter "$build/tagshifter" \
    --floor "$build/bench/tagshifter_floor" --workdir "$workdir" "${pass[@]}"
echo "load at the end $(cut -d' ' -f1-3 /proc/loadavg)"
