#!/usr/bin/env bash
# Proves the README's two commands on a fresh Debian 13 (trixie), whose
# TagLib is 2.x: makes a minimal root with debootstrap in a scratch folder,
# puts a clean clone of this repository's committed HEAD in /root there, and
# runs `bash scripts/demo.sh` and `bash scripts/test.sh` inside it, as root,
# from that clone, as a new user would. The root is removed afterwards.
#
#   scripts/ci-debian13.sh
#
# Needs root, git and chroot; installs debootstrap with apt-get when it is
# missing. The archive is the one this
# machine's apt is set up with (its sources.list or deb822 .sources files).
# Environment:
#   DEBIAN13_SUITE    the suite to bootstrap (default: trixie)
#   DEBIAN13_SCRATCH  the folder the root is made in (default: /var/tmp)
#
# Exit status: 0 when both commands passed, or when the archive could not be
# reached (the step then says it was SKIPPED); 1 when anything failed.
set -uo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
suite=${DEBIAN13_SUITE:-trixie}
started=$(date +%s)

say() {
    echo "ci-debian13: $*"
}

elapsed() {
    echo "$(( $(date +%s) - $1 )) s"
}

skip() {
    say "SKIPPED: $*"
    say "the Debian 13 step did not run ($(elapsed "$started"))"
    exit 0
}

fail() {
    say "FAILED: $*"
    say "the Debian 13 step failed after $(elapsed "$started")"
    exit 1
}

[ "$(id -u)" -eq 0 ] || fail "needs root (debootstrap, mount and chroot)"
for tool in git chroot mount umount findmnt; do
    command -v "$tool" >/dev/null 2>&1 || fail "$tool is missing"
done

# Prints the URI of the machine's main Debian archive (not the security
# archive), from the one-line and deb822 sources files.
find_mirror() {
    local file
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

mirror=$(find_mirror | sed -n 1p)
mirror=${mirror%/}
[ -n "$mirror" ] || skip "found no Debian archive in this machine's apt sources"

scratch=$(mktemp -d "${DEBIAN13_SCRATCH:-/var/tmp}/debian13.XXXXXX") || fail "cannot make a scratch folder"
root=$scratch/root
mounted=()

# Undoes the mounts, newest first, and removes the root; refuses to remove
# anything while a mount is still in place below it.
cleanup() {
    local i target
    for (( i = ${#mounted[@]} - 1; i >= 0; i-- )); do
        target=${mounted[i]}
        umount "$target" 2>/dev/null || umount -l "$target" || say "cannot unmount $target"
    done
    mounted=()
    if findmnt -rn -o TARGET | grep -q "^$scratch/"; then
        say "mounts remain below $scratch; it is left in place"
        return
    fi
    rm -rf --one-file-system "$scratch"
}
trap cleanup EXIT
trap 'say "interrupted"; exit 130' INT TERM HUP

# The archive must answer before a root is attempted.
probe=$scratch/InRelease
if ! /usr/lib/apt/apt-helper download-file "$mirror/dists/$suite/InRelease" "$probe" \
        >"$scratch/probe.log" 2>&1 || [ ! -s "$probe" ]; then
    sed 's/^/  /' "$scratch/probe.log"
    skip "the archive $mirror ($suite) cannot be reached"
fi

if ! command -v debootstrap >/dev/null 2>&1; then
    say "installing debootstrap"
    if ! { apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq debootstrap; } \
            >"$scratch/apt.log" 2>&1; then
        tail -20 "$scratch/apt.log" | sed 's/^/  /'
        fail "cannot install debootstrap"
    fi
fi

say "bootstrapping a minimal $suite root from $mirror"
step=$(date +%s)
if ! debootstrap --variant=minbase "$suite" "$root" "$mirror" >"$scratch/debootstrap.log" 2>&1; then
    tail -20 "$scratch/debootstrap.log" | sed 's/^/  /'
    fail "debootstrap of $suite"
fi
say "root made in $(elapsed "$step")"

for fs in proc sys dev dev/pts; do
    mount --bind "/$fs" "$root/$fs" || fail "cannot bind-mount /$fs"
    mounted+=("$root/$fs")
done
# apt inside the root looks names up as this machine does.
cp -L /etc/resolv.conf "$root/etc/resolv.conf" 2>/dev/null || true

# A clean clone of what is committed, not of the working tree.
head=$(git -C "$here" rev-parse HEAD) || fail "$here is not a git clone"
clone=/root/tagshifter
if ! { git clone -q --no-local "$here" "$root$clone" && git -C "$root$clone" checkout -q --detach "$head"; }; then
    fail "cannot clone $here into the root"
fi
say "clone of $(git -C "$here" log -1 --format='%h %s' "$head") in $clone"

# A login-like environment: nothing of the caller's leaks in.
inside() {
    chroot "$root" /usr/bin/env -i HOME=/root USER=root LOGNAME=root TERM=dumb LANG=C.UTF-8 \
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
        /bin/bash -c "cd $clone && $1"
}

failed=()
for command in "bash scripts/demo.sh" "TAGSHIFTER_CTEST_EXCLUDE='^BlindEvaluation\\.' bash scripts/test.sh"; do
    say "--- $command"
    step=$(date +%s)
    inside "$command"
    status=$?
    say "$command: exit $status in $(elapsed "$step")"
    [ "$status" -eq 0 ] || failed+=("$command")
done

taglib=$(inside "pkg-config --modversion taglib" 2>/dev/null) || taglib="unknown"
release=$(inside ". /etc/os-release && echo \"\$PRETTY_NAME\"" 2>/dev/null) || release=$suite
say "$release, TagLib $taglib, $(inside 'g++ --version | sed -n 1p' 2>/dev/null)"

case $taglib in
    [2-9].*|[1-9][0-9]*.*) ;;
    *) failed+=("TagLib $taglib is not 2.x") ;;
esac
[ ${#failed[@]} -eq 0 ] || fail "${failed[*]}"
say "both commands passed in $release with TagLib $taglib ($(elapsed "$started"))"
