# Shared by the fake FreeBSD commands in this folder (sourced, not run).
# Each fake appends its name and arguments to $TARNWICK_FAKE_LOG (one line
# per run, arguments separated by single blanks) and prints a recorded
# FreeBSD output chosen by its own environment variable.

fake_fixtures="$(cd "$(dirname "$0")/../fixtures/freebsd" && pwd)"

fake_log() {
    if [ -n "${TARNWICK_FAKE_LOG:-}" ]; then
        printf '%s\n' "$(basename "$0")${*:+ $*}" >>"$TARNWICK_FAKE_LOG"
    fi
}

# fake_fixture <kind> <name-or-path>: an absolute path as it is, else the
# recorded file tests/fixtures/freebsd/<kind>/<name>.
fake_fixture() {
    case "$2" in
    /*) printf '%s\n' "$2" ;;
    *) printf '%s\n' "$fake_fixtures/$1/$2" ;;
    esac
}
