#!/bin/sh
# scripts/host-wine tells the three hosts apart from binfmt_misc's entries
# (a fake folder in WORK_FOLDER) and whether Wine's 32-bit loader runs: only
# an enabled entry that takes the loader's ELF header, in an enabled
# binfmt_misc, makes a host emulated. Exits 77 (skipped) where the 32-bit
# loader does not run at all, as then only the last case can be shown.
#   host_wine_test.sh WORK_FOLDER
set -eu
host_wine=$(cd "$(dirname "$0")/../../scripts" && pwd)/host-wine
work=$(realpath -m "$1")
rm -rf "$work"
mkdir -p "$work"
export HOST_WINE_BINFMT="$work/binfmt"
i386_magic=7f454c4601010100000000000000000002000300
i386_mask=fffffffffffefe00fffffffffffffffffeffffff
arm_magic=7f454c4601010100000000000000000002002800
failed=""

# Makes the fake folder: binfmt_misc's status, then one entry a line of
# ENTRIES ("NAME STATE MAGIC MASK").
binfmt() { # STATUS [ENTRIES]
    rm -rf "$HOST_WINE_BINFMT"
    mkdir -p "$HOST_WINE_BINFMT"
    echo "$1" >"$HOST_WINE_BINFMT/status"
    : >"$HOST_WINE_BINFMT/register"
    echo "${2:-}" | while read -r name state magic mask; do
        [ -n "$name" ] || continue
        printf '%s\ninterpreter /usr/bin/qemu-static\nflags: F\noffset 0\nmagic %s\nmask %s\n' \
            "$state" "$magic" "$mask" >"$HOST_WINE_BINFMT/$name"
    done
}

# The host's kind, preset and shim are those expected.
expect() { # CASE KIND PRESET SHIM(yes|no)
    kind=$("$host_wine" kind)
    preset=$("$host_wine" preset)
    rm -rf "$work/shim"
    shim=$("$host_wine" shim "$work/shim")
    made=no
    [ -z "$shim" ] || [ ! -x "$work/shim/wine" ] || made=yes
    if [ "$kind $preset $made" != "$2 $3 $4" ]; then
        echo "FAIL: $1: kind, preset and shim were \"$kind $preset $made\", not \"$2 $3 $4\"" >&2
        failed=1
    fi
}

if /usr/lib/wine/wine --version >/dev/null 2>&1; then
    binfmt enabled
    expect "no entries" native i686 no
    binfmt enabled "qemu-i386 enabled $i386_magic $i386_mask"
    expect "an enabled i386 entry" emulated x86_64 yes
    binfmt enabled "qemu-arm enabled $arm_magic $i386_mask
qemu-i386 disabled $i386_magic $i386_mask"
    expect "an i386 entry turned off beside another architecture's" native i686 no
    binfmt disabled "qemu-i386 enabled $i386_magic $i386_mask"
    expect "binfmt_misc turned off" native i686 no
    binfmt enabled "ours enabled $i386_magic"
    expect "an i386 entry without a mask" emulated x86_64 yes
    skipped=""
else
    skipped=1
fi
binfmt enabled "qemu-i386 enabled $i386_magic $i386_mask"
HOST_WINE_LOADER32="$work/missing-loader" expect "a 32-bit loader that does not run" none x86_64 yes
[ -z "$failed" ] || exit 1
if [ -n "$skipped" ]; then
    echo "32-bit programs do not run here: only a host with none was shown"
    exit 77
fi
echo "native, emulated and none told apart"
