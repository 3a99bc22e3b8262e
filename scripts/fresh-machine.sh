#!/bin/bash
# Proves that the README's two commands work on a Debian 12 machine that has
# nothing installed, and that the Debian package installs and runs on one.
#
#  1. A minimal Debian 12 (debootstrap --variant=minbase bookworm) in a
#     temporary folder, with a clone of this repository's committed tree.
#  2. The README's two commands, exactly as written, inside it. The first one
#     ends by starting the desktop program, which runs until it is closed:
#     here it runs offscreen and counts as started when it is still running
#     after a few seconds; then it is stopped.
#  3. The .deb built there (scripts/package.sh) installed with
#     `apt install ./velmora_*.deb` into a second fresh minbase that has no
#     build dependencies, where `velmora-cli sample 1` and
#     `velmora-cli --version` run.
#
# Everything it mounts and makes is unmounted and removed at the end, after a
# failure or an interrupt too. It needs root and the network to reach the
# Debian archive. It takes long (the test command builds the program twice):
# run it when a dependency changes.
#
# usage: fresh-machine.sh [--ccache | --package FILE.deb]
#   --ccache   share this machine's compiler cache with the first chroot, to
#              save build time on repeated runs. ccache is installed there
#              before the README's commands run; nothing else is.
#   --package  only step 3, with a package built elsewhere.
#
# The minbase system is kept in /var/cache/velmora-fresh-machine between runs
# (VELMORA_FRESH_CACHE to move it); remove it to start from the archive again.
# The log of each run stays in /var/tmp/velmora-fresh-machine-<time>.log.
set -euo pipefail

readonly SUITE=bookworm
readonly PROGRAM_RUN_SECONDS=10
source_dir=$(cd "$(dirname "$0")/.." && pwd)
cache_dir=${VELMORA_FRESH_CACHE:-/var/cache/velmora-fresh-machine}
system_tar="$cache_dir/$SUITE-minbase.tar"
use_ccache=no
given_package=""

case "${1:-}" in
    "") ;;
    --ccache) use_ccache=yes ;;
    --package)
        given_package=$(realpath -e "${2:-}" 2>/dev/null) || { echo "$0: no package file '${2:-}'" >&2; exit 2; }
        case "$given_package" in *.deb) ;; *) echo "$0: $given_package is no .deb" >&2; exit 2 ;; esac
        ;;
    *) echo "usage: $0 [--ccache | --package FILE.deb]" >&2; exit 2 ;;
esac

say() { printf '\n== %s\n' "$*"; }
die() { printf 'fresh-machine: %s\n' "$*" >&2; exit 1; }

[ "$(id -u)" -eq 0 ] || die "must run as root (debootstrap, chroot and mount need it)"
command -v debootstrap >/dev/null || die "needs debootstrap: apt-get install debootstrap"
git -C "$source_dir" rev-parse --git-dir >/dev/null 2>&1 || die "$source_dir is not a git checkout"
if [ -n "$(git -C "$source_dir" status --porcelain)" ]; then
    echo "fresh-machine: note: uncommitted changes are not part of the run (it clones HEAD)" >&2
fi

# The same Debian mirror that apt uses here.
debian_mirror() {
    local uri
    uri=$(cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources 2>/dev/null |
        sed -n -e 's/^URIs:[[:space:]]*//p' -e 's/^deb[[:space:]]\+\(\[[^]]*\][[:space:]]\+\)\?//p' |
        tr ' ' '\n' | grep -E '^https?://.*/debian/?$' | head -n 1 || true)
    echo "${uri:-http://deb.debian.org/debian}"
}
MIRROR=$(debian_mirror)
readonly MIRROR

work=$(mktemp -d /var/tmp/velmora-fresh.XXXXXX)
build_root="$work/build-machine"
install_root="$work/install-machine"
log=/var/tmp/velmora-fresh-machine-$(date +%Y%m%d-%H%M%S).log
declare -a step_names=() step_seconds=() step_results=()

print_summary() {
    local i
    echo
    echo "== summary (whole output in $log)"
    for i in "${!step_names[@]}"; do
        printf '%-55s %6ss  %s\n' "${step_names[$i]}" "${step_seconds[$i]}" "${step_results[$i]}"
    done
}

mounts_under() {
    # Deepest first, so that nested mounts go before their parents.
    awk -v root="$work/" 'index($2, root) == 1 { print $2 }' /proc/mounts | sort -r
}

clean_up() {
    local status=$? mount_point
    trap - EXIT INT TERM
    kill_chroot_processes "$build_root"
    kill_chroot_processes "$install_root"
    for mount_point in $(mounts_under); do
        umount "$mount_point" 2>/dev/null || umount --lazy "$mount_point" || true
    done
    print_summary
    if [ -n "$(mounts_under)" ]; then
        echo "fresh-machine: still mounted under $work, left in place:" >&2
        mounts_under >&2
    else
        # --one-file-system: even a mount that survived cannot lead rm outside.
        rm -rf --one-file-system "$work"
    fi
    if [ "$status" -eq 0 ]; then echo "fresh-machine: PASSED"; else echo "fresh-machine: FAILED" >&2; fi
    exit "$status"
}
trap clean_up EXIT
trap 'exit 130' INT TERM

# Processes whose root is the chroot, ended by their own ids.
kill_chroot_processes() {
    local root=$1 proc pid
    [ -d "$root" ] || return 0
    for proc in /proc/[0-9]*; do
        [ "$(readlink "$proc/root" 2>/dev/null)" = "$root" ] || continue
        pid=${proc#/proc/}
        kill "$pid" 2>/dev/null || true
    done
}

# Runs a step in a subshell that stops at its first failing command, times it
# and records the result; its output goes to the log and, on failure, its tail
# to the screen.
step() {
    local name=$1 started status
    shift
    say "$name"
    started=$(date +%s)
    set +e
    (
        set -e
        "$@"
    ) >>"$log" 2>&1
    status=$?
    set -e
    step_names+=("$name")
    step_seconds+=("$(($(date +%s) - started))")
    if [ "$status" -eq 0 ]; then
        step_results+=("ok")
    else
        step_results+=("FAILED ($status)")
        tail -n 60 "$log"
        die "step failed: $name"
    fi
}

# A finished minbase system is kept as a tar file: unpacking it takes seconds,
# where debootstrap's own setup takes minutes.
make_minbase() {
    local root=$1
    if [ ! -f "$system_tar" ]; then
        mkdir -p "$cache_dir" "$work/first"
        debootstrap --variant=minbase "$SUITE" "$work/first" "$MIRROR"
        tar --numeric-owner --xattrs -C "$work/first" -cpf "$system_tar.part" .
        rm -rf --one-file-system "$work/first"
        mv "$system_tar.part" "$system_tar"
    fi
    mkdir -p "$root"
    tar --numeric-owner --xattrs -C "$root" -xpf "$system_tar"
    # Updates and security fixes, as on any installed Debian.
    cat >"$root/etc/apt/sources.list" <<EOF
deb $MIRROR $SUITE main
deb $MIRROR $SUITE-updates main
deb ${MIRROR%/debian*}/debian-security $SUITE-security main
EOF
    cp /etc/resolv.conf "$root/etc/resolv.conf"
    mount -t proc proc "$root/proc"
    mount -t sysfs sys "$root/sys"
    mount --bind /dev "$root/dev"
    mount --bind /dev/pts "$root/dev/pts"
    mount -t tmpfs tmpfs "$root/dev/shm"
}

# A clean login environment: nothing of this machine's shell leaks in.
in_chroot() {
    local root=$1 extra=()
    shift
    [ "$root" != "$build_root" ] || extra=("${ccache_env[@]}")
    chroot "$root" env -i HOME=/root LANG=C.UTF-8 TERM=dumb \
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
        "${extra[@]}" "$@"
}

# The commands are the README's own, from its first two ```sh blocks.
readme_command() {
    awk -v wanted="$1" '/^```sh$/ { block++; getline; if (block == wanted) { print; exit } }' \
        "$source_dir/README.md"
}

clone_tree() {
    mkdir -p "$build_root$(dirname "$source_dir")"
    git clone --quiet --depth 1 "file://$source_dir" "$build_root$source_dir"
}

# The tree lies at the same path in the chroot as here, so that the cache's
# entries match.
ccache_env=()
host_ccache=""
if [ "$use_ccache" = yes ]; then
    command -v ccache >/dev/null || die "--ccache needs ccache on this machine"
    host_ccache=$(ccache -k cache_dir)
    ccache_env=(CCACHE_DIR="$host_ccache" CCACHE_BASEDIR="$(dirname "$source_dir")"
        CMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
share_ccache() {
    mkdir -p "$host_ccache" "$build_root$host_ccache"
    mount --bind "$host_ccache" "$build_root$host_ccache"
    in_chroot "$build_root" sh -c 'apt-get update -qq && apt-get install -y -qq --no-install-recommends ccache'
}

pid_of_program() {
    local program=$1 proc
    for proc in /proc/[0-9]*; do
        if [ "$(readlink "$proc/exe" 2>/dev/null)" = "$program" ]; then
            echo "${proc#/proc/}"
            return
        fi
    done
}

# The first README command installs, builds and starts the program. It passes
# when the program is still running PROGRAM_RUN_SECONDS after it appeared.
run_first_command() {
    local command program pid status readme_pid
    command=$(readme_command 1)
    echo "README command 1: $command"
    program="$build_root$source_dir/build/default/bin/velmora"
    in_chroot "$build_root" env QT_QPA_PLATFORM=offscreen sh -c "cd '$source_dir' && $command" &
    readme_pid=$!
    while kill -0 "$readme_pid" 2>/dev/null; do
        pid=$(pid_of_program "$program")
        if [ -n "$pid" ]; then
            sleep "$PROGRAM_RUN_SECONDS"
            if kill -0 "$pid" 2>/dev/null; then
                echo "velmora has run for ${PROGRAM_RUN_SECONDS}s; stopping it (process $pid)"
                kill "$pid"
                wait "$readme_pid" || true
                return 0
            fi
            break
        fi
        sleep 2
    done
    status=0
    wait "$readme_pid" || status=$?
    echo "README command 1 ended by itself with status $status"
    return "$status"
}

run_second_command() {
    local command
    command=$(readme_command 2)
    echo "README command 2: $command"
    in_chroot "$build_root" sh -c "cd '$source_dir' && $command"
}

build_package() {
    in_chroot "$build_root" sh -c "cd '$source_dir' && ./scripts/package.sh"
    cp "$build_root$source_dir"/build/default/velmora_*.deb "$work/"
}

install_package() {
    cp "$work"/velmora_*.deb "$install_root/root/"
    in_chroot "$install_root" sh -c \
        'cd /root && apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt install -y ./velmora_*.deb'
}

run_installed_cli() {
    in_chroot "$install_root" sh -c 'cd /root && velmora-cli sample 1 && velmora-cli --version' |
        tee "$work/cli-output"
}

say "work folder $work, mirror $MIRROR"
: >"$log"
if [ -z "$given_package" ]; then
    step "minbase for building" make_minbase "$build_root"
    step "clone the committed tree" clone_tree
    if [ "$use_ccache" = yes ]; then
        step "share the compiler cache (--ccache)" share_ccache
    fi
    step "README command 1 (install, build, start velmora)" run_first_command
    step "README command 2 (install, test.sh)" run_second_command
    grep -E 'tests passed|tests failed' "$log" | sed 's/^/  ctest: /' || true
    step "package (scripts/package.sh)" build_package
else
    cp "$given_package" "$work/"
fi
step "minbase for installing" make_minbase "$install_root"
step "apt install ./$(basename "$work"/velmora_*.deb)" install_package
step "velmora-cli sample 1, velmora-cli --version" run_installed_cli
say "velmora-cli in the installed machine"
cat "$work/cli-output"
