#!/bin/sh
# Ctrl+C typed in a real terminal (tmux) at each moment of a session of
# scripts/editor-session, the editor's runner, on a fresh prefix: while the
# prefix is made, while the editor starts, and while it runs. Each time the
# session, its virtual display and every Wine process in its prefix end
# within 5 s, and a prefix left half made is made again by the next session.
# (A background job of a script starts with Ctrl+C ignored: only a terminal
# shows what a user gets.)
#   ctrl_c_test.sh PROGRAM WORK_FOLDER
set -eu
scripts=$(cd "$(dirname "$0")/../../scripts" && pwd)
. "$scripts/wine-common.sh"
. "$(dirname "$0")/session_checks.sh"
program=$1
work=$(realpath -m "$2")
rm -rf "$work"
mkdir -p "$work/tmp" "$work/cache"
prefix="$work/data/scrivlet/wineprefix"
server="scrivlet-ctrl-c-$$"
# What a failed check leaves running is ended.
cleanup() {
    tmux -L "$server" kill-server 2>/dev/null || true
    WINEPREFIX="$prefix" TMPDIR="$work/tmp" wineserver -k 2>/dev/null || true
    stop_recorded_process "$prefix.sessions/xvfb.pid"
}
trap cleanup EXIT
# A shell in a terminal of its own, with nothing of the caller's display.
tmux -L "$server" new-session -d -x 160 -y 40 \
    env -u DISPLAY XDG_DATA_HOME="$work/data" TMPDIR="$work/tmp" XDG_CACHE_HOME="$work/cache" sh

# Starts session NAME from the terminal's shell, which notes its end.
session() { # NAME
    tmux -L "$server" send-keys "'$scripts/editor-session' '$program' >'$work/$1.out' 2>&1; echo \$? >'$work/$1.status'" Enter
}
# Ctrl+C, then everything of session NAME has ended within 5 s.
interrupt() { # NAME MOMENT
    tmux -L "$server" send-keys C-c
    _typed=$(date +%s)
    within 5 test -f "$work/$1.status" || fail "the session did not end within 5 s of a Ctrl+C $2"
    within 5 prefix_idle "$prefix" || fail "Wine's processes in the prefix outlived by 5 s a Ctrl+C $2"
    display_free "${display#:}" || fail "the virtual display $display outlived a Ctrl+C $2"
    echo "Ctrl+C $2: everything ended within $(($(date +%s) - _typed)) s"
}
making() { grep -q "Making the Wine prefix" "$work/$1.out" 2>/dev/null; }
# A program of the prefix runs the editor.
editor_starting() {
    for _environ in $(grep -lzxF "WINEPREFIX=$prefix" /proc/[0-9]*/environ 2>/dev/null); do
        tr '\0' ' ' <"${_environ%/environ}/cmdline" 2>/dev/null | grep -qi "$(basename "$program")" && return 0
    done
    return 1
}

session making
within 30 making making || fail "no prefix was being made"
display=$(display_named making)
sleep 2
interrupt making "while the prefix was made"
[ "$(cat "$prefix/.scrivlet-prefix" 2>/dev/null)" = making ] || fail "the prefix was not left half made: the test shows nothing"

session first
within 120 display_named first >/dev/null || fail "the next session named no display"
display=$(display_named first)
within 120 shows " Untitled - Scrivlet" || fail "the next session's editor did not show"
[ "$(cat "$prefix/.scrivlet-prefix")" = made ] || fail "the half-made prefix was not made again"
sleep 2
interrupt first "2 s after the first editor on a fresh prefix showed"

session starting
within 30 display_named starting >/dev/null || fail "the session named no display"
display=$(display_named starting)
within 30 editor_starting || fail "the editor was not started"
interrupt starting "while the editor started"

session running
within 30 display_named running >/dev/null || fail "the session named no display"
display=$(display_named running)
within 60 shows " Untitled - Scrivlet" || fail "the editor did not show"
sleep 3
interrupt running "while the editor ran"
