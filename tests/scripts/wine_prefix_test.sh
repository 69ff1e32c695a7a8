#!/bin/sh
# Prefixes follow the Wine installation. A user's prefix recorded as made with
# another Wine, and with its 32-bit half missing (an empty syswow64, as a
# prefix made without wine32 has), is updated in place: what it holds stays,
# and programs run in it again. A test prefix recorded so is made again. The
# 32-bit half matters only where 32-bit programs run: a host that runs 64-bit
# programs alone (its Wine starts the 64-bit loader) needs none.
#   wine_prefix_test.sh WORK_FOLDER
set -eu
scripts=$(cd "$(dirname "$0")/../../scripts" && pwd)
. "$scripts/wine-common.sh"
work=$(realpath -m "$1")
export WINEPREFIX="$work/wineprefix" WINEDEBUG=-all TMPDIR="$work/tmp" XDG_CACHE_HOME="$work/cache"
mkdir -p "$TMPDIR" "$XDG_CACHE_HOME"
shim=$("$scripts/host-wine" shim "$work/bin")
[ -z "$shim" ] || export PATH="$shim:$PATH"
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
made_elsewhere() {
    echo "kept" >"$WINEPREFIX/drive_c/kept.txt"
    echo "wine-7.0, 32-bit loader: no" >"$WINEPREFIX/.scrivlet-wine"
}

loader_runs=""
[ "$("$scripts/host-wine" preset)" != i686 ] || loader_runs=1

# A made test prefix to start from; each run leaves one for the next.
if ! prefix_made_here; then
    "$scripts/wine-env" start "$WINEPREFIX"
    "$scripts/wine-env" stop "$WINEPREFIX"
fi

made_elsewhere
rm -rf "$WINEPREFIX/drive_c/windows/syswow64"/*
if [ -n "$loader_runs" ] && wine cmd /c exit 0 2>/dev/null; then
    fail "without its 32-bit half the prefix still runs programs: this test shows nothing here"
fi
wineserver -w
update_prefix >/dev/null || fail "the prefix could not be updated"
[ -f "$WINEPREFIX/drive_c/kept.txt" ] || fail "updating the prefix lost a file in it"
prefix_follows_wine || fail "the updated prefix does not record the installed Wine"
if [ -n "$loader_runs" ] && [ ! -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ]; then
    fail "the update did not bring the 32-bit half back"
fi
wine cmd /c exit 0 || fail "programs do not run in the updated prefix"
wineserver -w

made_elsewhere
"$scripts/wine-env" start "$WINEPREFIX"
"$scripts/wine-env" stop "$WINEPREFIX"
[ ! -f "$WINEPREFIX/drive_c/kept.txt" ] || fail "the test prefix made with another Wine was not made again"
prefix_follows_wine || fail "the test prefix made again does not record the installed Wine"
echo "a user's prefix was updated in place, a test prefix made again"
