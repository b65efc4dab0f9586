# Shared by the fake FreeBSD commands in this folder (sourced, not run).
# Each fake appends its name and arguments to $TARNWICK_FAKE_LOG (one line
# per run, arguments separated by single blanks) and prints a recorded
# FreeBSD output chosen by its own environment variable.

# Paths from $0 by parameter expansion: a fake starts no helper process, so
# it costs about what the real command does.
case $0 in */*) fake_dir=${0%/*} ;; *) fake_dir=. ;; esac
fake_fixtures="$fake_dir/../fixtures/freebsd"

fake_log() {
    if [ -n "${TARNWICK_FAKE_LOG:-}" ]; then
        printf '%s\n' "${0##*/}${*:+ $*}" >>"$TARNWICK_FAKE_LOG"
    fi
}

# fake_fixture <kind> <name-or-path>: sets $fake_path to an absolute path as
# it is, else to the recorded file tests/fixtures/freebsd/<kind>/<name> (a
# variable, not output: a command substitution would cost a subshell).
fake_fixture() {
    case "$2" in
    /*) fake_path=$2 ;;
    *) fake_path=$fake_fixtures/$1/$2 ;;
    esac
}
