#!/bin/sh
# Two sessions of scripts/editor-session at once, with no display: the second
# joins the first one's virtual display; a Ctrl+C to the first ends its own
# editor only, at once, and leaves the display to the second; the second, the
# last one out, stops the display and Wine. The first run makes the prefix
# while the second session is already waiting to join.
#   editor_session_test.sh PROGRAM WORK_FOLDER
set -eu
scripts=$(cd "$(dirname "$0")/../../scripts" && pwd)
. "$scripts/wine-common.sh"
program=$1
work=$2
mkdir -p "$work/tmp" "$work/cache"
# Everything of the sessions stays in WORK_FOLDER.
export XDG_DATA_HOME="$work/data" TMPDIR="$work/tmp" XDG_CACHE_HOME="$work/cache"
unset DISPLAY
prefix="$XDG_DATA_HOME/scrivlet/wineprefix"

. "$(dirname "$0")/session_checks.sh"
first="" second=""
trap 'kill -TERM $first $second 2>/dev/null || true; wait' EXIT
start() { # NAME: starts a session with NAME.txt, as from a terminal (a background job would ignore Ctrl+C)
    printf '%s\r\n' "$1" >"$work/$1.txt"
    env --default-signal=INT "$scripts/editor-session" "$program" "$work/$1.txt" >"$work/$1.out" 2>&1 &
}

start first
first=$!
within 30 display_named first >/dev/null || fail "the first session named no display"
display=$(display_named first)
start second
second=$!
within 60 shows " first.txt - Scrivlet" || fail "the first session's editor did not show on $display"
within 30 shows " second.txt - Scrivlet" || fail "the second session's editor did not show on $display"
grep -q "joins it on display $display\." "$work/second.out" || fail "the second session did not join $display"

kill -INT "$first"
within 10 ended "$first" || fail "the first session did not end within 10 s of its Ctrl+C"
! shows " first.txt - Scrivlet" || fail "the first session's editor outlived its Ctrl+C"
shows " second.txt - Scrivlet" || fail "the Ctrl+C to the first session ended the second one's editor or display"

kill -TERM "$second"
within 15 ended "$second" || fail "the last session did not end within 15 s of its TERM"
display_free "${display#:}" || fail "the last session out left the display $display running"
prefix_idle "$prefix" || fail "the last session out left Wine's processes in its prefix running"
echo "two sessions shared $display; a Ctrl+C ended the first one's editor only; the last out stopped everything"
