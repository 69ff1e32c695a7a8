# Shell functions that ./scrivlet and the test environment (wine-env,
# print-env) share; sourced, POSIX sh. A virtual display on a display number
# nobody else holds, the Wine prefix with the fonts Debian's Wine misses, and
# processes recorded with their start time, so that a later stop ends the
# process it started and never another one that got the same pid since.

# "PID START" of a live process (a zombie counts as gone); the start time is
# the 20th field after the command name.
process_identity() {
    _stat=$(sed 's/.*) //' "/proc/$1/stat" 2>/dev/null) || return 1
    set -- "$1" $_stat
    [ $# -ge 21 ] && [ "$2" != Z ] || return 1
    echo "$1 ${21}"
}

record_process() { # PID FILE
    process_identity "$1" >"$2"
}

# Prints the pid recorded in FILE while that same process still runs. A file
# that holds a pid alone, as environments started before start times were
# recorded have them, is taken on the pid's word.
recorded_process() { # FILE
    [ -f "$1" ] || return 1
    read -r _pid _start <"$1" || return 1
    _running=$(process_identity "$_pid") || return 1
    [ -z "$_start" ] || [ "$_running" = "$_pid $_start" ] || return 1
    echo "$_pid"
}

# Ends the process recorded in FILE, if it is still that one, and forgets it.
stop_recorded_process() { # FILE
    if _pid=$(recorded_process "$1"); then
        kill "$_pid" 2>/dev/null || true
        _i=0
        while recorded_process "$1" >/dev/null; do
            _i=$((_i + 1))
            [ $_i -lt 50 ] || { kill -KILL "$_pid" 2>/dev/null || true; break; }
            sleep 0.1
        done
    fi
    rm -f "$1"
}

# A display number is free when no lock names a running server. A lock whose
# server is gone is stale: Xvfb takes such a lock over and replaces the
# socket left with it.
display_free() { # N
    if [ -e "/tmp/.X$1-lock" ]; then
        _owner=$(tr -d ' \n' <"/tmp/.X$1-lock" 2>/dev/null) || return 1
        [ -n "$_owner" ] && [ ! -d "/proc/$_owner" ]
    else
        [ ! -e "/tmp/.X11-unix/X$1" ]
    fi
}

# Starts an Xvfb on the first free display number and records it in DIR
# (xvfb.pid, display). Xvfb's own choice (-displayfd) takes no lock and,
# without the abstract socket, unlinks another server's socket file: two
# environments ended up on one display, and the first to stop took it from
# the other. Only the socket file is served, not the abstract socket, which a
# server in a chroot would share with the host's.
start_display() { # DIR
    _n=0
    while [ $_n -lt 64 ]; do
        if display_free $_n; then
            # Nothing started here may hold the caller's output open.
            # -noreset: a server that resets when its last client leaves
            # would drop the root window's properties set before Wine comes.
            # A session of its own: a Ctrl+C in the caller's terminal would
            # end it, and another ./scrivlet session may still show on it.
            setsid Xvfb ":$_n" -screen 0 1280x1024x24 -noreset -nolisten tcp -nolisten local </dev/null >/dev/null 2>&1 &
            _xvfb=$!
            record_process $_xvfb "$1/xvfb.pid" || true
            _i=0
            # Up once its lock names it and its socket is there; a server that
            # lost the lock to another one ends at once.
            while recorded_process "$1/xvfb.pid" >/dev/null; do
                if [ "$(tr -d ' \n' 2>/dev/null <"/tmp/.X$_n-lock")" = "$_xvfb" ] && [ -S "/tmp/.X11-unix/X$_n" ]; then
                    echo $_n >"$1/display"
                    return 0
                fi
                _i=$((_i + 1))
                if [ $_i -gt 100 ]; then
                    stop_recorded_process "$1/xvfb.pid"
                    echo "Xvfb did not start" >&2
                    return 1
                fi
                sleep 0.1
            done
            rm -f "$1/xvfb.pid"
        fi
        _n=$((_n + 1))
    done
    echo "Xvfb found no free display" >&2
    return 1
}

# What a prefix is made with: Wine's version, and whether the 32-bit loader
# runs. A prefix made without the loader has an empty syswow64, and once the
# loader is there it fails in that prefix ("could not load kernel32.dll"),
# 64-bit programs too, as Debian's `wine` then starts it. One made while the
# loader was installed but could not run (a 64-bit-only host before its
# emulation was turned on) lacks the 32-bit half just the same.
wine_stamp() {
    _wine=/usr/lib/wine/wine64
    [ -x "$_wine" ] || _wine=wine
    if /usr/lib/wine/wine --version >/dev/null 2>&1; then
        _loader=yes
    elif [ -e /usr/lib/wine/wine ]; then
        _loader="installed, not running"
    else
        _loader=no
    fi
    echo "$("$_wine" --version 2>&1), 32-bit loader: $_loader"
}

# True when WINEPREFIX was made, or last updated, with the Wine installed now.
prefix_follows_wine() {
    [ "$(cat "$WINEPREFIX/.scrivlet-wine" 2>/dev/null)" = "$(wine_stamp)" ]
}

# True for a prefix that make_prefix began, which it may remove.
prefix_made_here() {
    [ -f "$WINEPREFIX/.scrivlet-prefix" ]
}

# Makes the Wine prefix WINEPREFIX once, with the fonts (Tahoma, Marlett for
# the caption buttons) that Debian's 32-bit Wine does not find in its data
# folder but does in the prefix's, then runs the given command for settings of
# the caller's own, and records what Wine made it. Only a prefix this function
# began (its marker says so) is ever removed, to be made again when it was
# left unfinished; any other folder that is neither empty nor a Wine prefix is
# refused.
make_prefix() { # [SETTINGS_COMMAND ARGS...]
    _marker="$WINEPREFIX/.scrivlet-prefix"
    if [ -f "$_marker" ]; then
        [ "$(cat "$_marker")" != made ] || return 0
        rm -rf "$WINEPREFIX"
    elif [ -f "$WINEPREFIX/system.reg" ]; then
        return 0
    elif [ -n "$(ls -A "$WINEPREFIX" 2>/dev/null)" ]; then
        echo "$WINEPREFIX holds files and is no Wine prefix: refusing to make one there" >&2
        return 1
    fi
    mkdir -p "$WINEPREFIX"
    echo making >"$_marker"
    # No Mono or Gecko: the program needs neither and their installers would prompt.
    # Waited for in the background: the shell runs a Ctrl+C's trap only once
    # a command in the foreground has ended, and wineboot takes its time.
    WINEDLLOVERRIDES="mscoree,mshtml=;${WINEDLLOVERRIDES:-}" wineboot -i >/dev/null 2>&1 &
    wait $!
    cp -n /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    "$@"
    wine_stamp >"$WINEPREFIX/.scrivlet-wine"
    echo made >"$_marker"
}

# Brings the prefix WINEPREFIX, which is kept for what it holds, up to the
# Wine installed now, when it was made with another one. The 32-bit half is
# installed by a 32-bit program, which cannot start in a prefix made without
# it; in Wine's bootstrap mode (WINEBOOTSTRAPMODE, as when a prefix is made)
# a program takes Wine's own DLLs for the ones missing from the prefix, and
# the 64-bit loader starts the update. Says what to do when that did not help.
update_prefix() {
    ! prefix_follows_wine || return 0
    echo "Updating the Wine prefix in $WINEPREFIX for the Wine installed now ($(wine_stamp))..."
    _wine=/usr/lib/wine/wine64
    [ -x "$_wine" ] || _wine=wine
    WINEBOOTSTRAPMODE=1 WINEDLLOVERRIDES="mscoree,mshtml=;${WINEDLLOVERRIDES:-}" "$_wine" wineboot -u >/dev/null 2>&1 || true
    wineserver -w
    if ! wine cmd /c exit 0 >/dev/null 2>&1; then
        wineserver -w
        echo "The Wine prefix in $WINEPREFIX does not work with the Wine installed now, and updating it did not help." \
            "It holds Scrivlet's settings, recent files and recovery copies, so it is not made again on its own:" \
            "move it away (mv '$WINEPREFIX' '$WINEPREFIX.old') and start Scrivlet again to have a new one made." >&2
        return 1
    fi
    wineserver -w
    wine_stamp >"$WINEPREFIX/.scrivlet-wine"
}
