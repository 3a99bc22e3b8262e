# Shared by the shell tests of the running program; sourced, not run.

# Counts a failure and goes on, so that one run names every fault.
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# Polls a command for up to $1 tenths of a second.
wait_for() {
    local tenths="$1"
    shift
    for _ in $(seq "$tenths"); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}
