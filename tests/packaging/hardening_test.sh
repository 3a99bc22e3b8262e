#!/bin/sh
# Proves that the build's flags harden what it compiles, whatever the
# programs' own code happens to call: hardening-check passes on a probe built
# with those flags and sees its fortified call and its stack clash probes.
# (On the programs themselves it can only say "unknown" for either when the
# code calls no fortifiable function or allocates no large stack frame.)
#
# usage: hardening_test.sh PROBE
set -eu
probe="$1"

fail() { echo "hardening: $*" >&2; exit 1; }

[ -f "$probe" ] || fail "no probe $probe"
# Control flow protection is not asked for: Debian 12's start files carry no
# IBT/SHSTK note, so no program linked here can have it.
report=$(hardening-check --nocfprotection "$probe" 2>&1) ||
    { printf '%s\n' "$report" >&2; fail "hardening-check finds the probe unhardened"; }
printf '%s\n' "$report"
for feature in "Fortify Source functions" "Stack clash protection"; do
    printf '%s\n' "$report" | grep -q "^ $feature: yes" ||
        fail "the probe shows no sign of '$feature'"
done
