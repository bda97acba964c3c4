# Shared by the packaging checks (sourced, POSIX sh): a failure counter, a
# scratch folder removed on exit, and the closing verdict.
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# finish WHAT: exits 1 after any failure, else says WHAT passed.
finish() {
    if [ "$failures" -ne 0 ]; then
        echo "$failures check(s) failed"
        exit 1
    fi
    echo "$1: all checks passed"
}
