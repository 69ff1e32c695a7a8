# Checks that the tests of scripts/editor-session share; sourced, POSIX sh.
# The caller sets work (the test's folder) and, once known, display.

fail() {
    echo "FAIL: $*" >&2
    for out in "$work"/*.out; do echo "== $out" && cat "$out"; done >&2
    exit 1
}
within() { # SECONDS COMMAND...
    _end=$(($(date +%s) + $1))
    shift
    until "$@"; do
        [ "$(date +%s)" -lt $_end ] || return 1
        sleep 0.2
    done
}
ended() { ! kill -0 "$1" 2>/dev/null; }
# The display that a session's output (NAME.out) names.
display_named() { # NAME
    grep -o '(:[0-9][0-9]*)' "$work/$1.out" 2>/dev/null | tr -d '()' | grep .
}
shows() { # TITLE: the display shows a window so titled
    DISPLAY=$display xwininfo -root -tree 2>/dev/null | grep -q "\"$1\""
}
# No process runs in the Wine prefix PREFIX.
prefix_idle() { # PREFIX
    ! grep -lzxF "WINEPREFIX=$1" /proc/[0-9]*/environ >/dev/null 2>&1
}
