#!/usr/bin/env bash
# The station's X session as a booted station runs it: the session script, its window manager
# and keyboard layouts, the station's shell and the real menu, under a private X server, driven
# by real key events. Runs as an unprivileged user (nobody when started as root), as a station
# never runs as root.
#
# Usage: session-test.sh BIN_DIR SESSION_SCRIPT KEYS_FILE HELP_PDF XKEYS
#   BIN_DIR         the programs (rulevion-station, rulevion-menu, rulevion-jetwriter)
#   SESSION_SCRIPT  rulevion-station-session
#   KEYS_FILE       the window manager's key shortcuts the package installs
#   HELP_PDF        vdm03.pdf
#   XKEYS           rv_xkeys, which presses keys as a keyboard does
set -euo pipefail

bin=$(cd "$1" && pwd)
session=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
keys=$(cd "$(dirname "$3")" && pwd)/$(basename "$3")
pdf=$4
xkeys=$5

tmp=$(mktemp -d "${TMPDIR:-/tmp}/rv-session-XXXXXX")
chmod 755 "$tmp"
home=$tmp/home
pids=()

# Every process of the session carries its HOME: what is left of it afterwards is found by that.
session_processes() {
    local p
    for p in /proc/[0-9]*; do
        { tr "\0" "\n" <"$p/environ"; } 2>/dev/null | grep -qxF "HOME=$home" && echo "${p#/proc/}"
    done
    return 0
}

cleanup() {
    local p
    for p in $(session_processes); do kill -KILL "$p" 2>/dev/null || true; done
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$tmp"
}
trap cleanup EXIT
trap 'exit 1' TERM INT HUP

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
step() { echo "--- $*"; }

# Waits up to $1 tenths of a second for the command after it to succeed.
within() {
    local tenths=$1
    shift
    for ((i = 0; i < tenths; i++)); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}

for tool in Xvfb xdotool setxkbmap xkbcomp matchbox-window-manager; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is needed (scripts/setup.sh installs it)" >&2; exit 1; }
done

step "a station: folder, drives, students, password, help"
station=$tmp/station
drives=$tmp/drives
mkdir -p "$station" "$drives/c/dat_ulmo/as_dbase/trener/01" "$home" "$tmp/xdg"
printf 'monitor\r\n1024x768\r\n1\r\n' >"$station/__monitor.txt"
cat >"$tmp/class.csv" <<'CSV'
StBook,StName,StNum,GrNum,StCount,GrCount
"ЗК-2024/5","Лебедева Екатерина Андреевна","3","Группа 7А",1,12
"ab12","Попова Мария Игоревна","2","Группа 8Б",-5,10
CSV
"$bin/rulevion-jetwriter" students "$tmp/class.csv" \
    "$drives/c/dat_ulmo/as_dbase/trener/01/dbtrener.mdb" >/dev/null
"$bin/rulevion-jetwriter" password 1234 "$station/vdmdat01.bin" >/dev/null
cp "$pdf" "$station/vdm03.pdf"
# The exercises leave a process behind that has left the session's process group, as a daemon
# does, and then cannot start: their program is not installed.
cat >"$tmp/station.conf" <<CONF
folder=$station
drives=$drives
layouts=us,ru
layout-switch=grp:alt_shift_toggle
window-manager=matchbox-window-manager -use_titlebar no -kbdconfig '$keys'
exercises=setsid -f sleep 600; /nonexistent/wine 'C:\\dat_ulmo\\vdm.exe'
trainer=
CONF

# Terminals a shortcut might start: each leaves a mark instead.
mkdir -p "$tmp/trap"
for program in xterm rxvt x-terminal-emulator matchbox-terminal gnome-terminal xfce4-terminal \
    lxterminal uxterm dmenu_run; do
    printf '#!/bin/sh\ntouch "%s/escaped-%s"\n' "$tmp" "$program" >"$tmp/trap/$program"
    chmod 755 "$tmp/trap/$program"
done

# The station's user owns its folders; root stays outside.
as_user=()
if [ "$(id -u)" = 0 ]; then
    chown -R 65534:65534 "$tmp"
    as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups --)
fi
chmod 700 "$tmp/xdg"

step "a private X server"
# Wider than the panel's shape, so that it is scaled and centred with bands above and below.
width=1280
height=1024
# A display number drawn at random (above the range the other X tests draw from), not the lowest
# free one -displayfd hands out: a number another test's server has just given up can still lead
# a client to that server's socket while it shuts down ("cannot be reached", seen under load).
started=""
for attempt in 1 2 3 4 5; do
    number=$(( (RANDOM * 32768 + RANDOM) % 29000 + 30001 ))
    : >"$tmp/display"
    # -noreset: a server resets when its last client leaves, and turns away whoever connects
    # then; the session holds its display open, but the test's own clients come and go.
    Xvfb ":$number" -displayfd 5 -noreset -screen 0 ${width}x${height}x24 -nolisten tcp \
        5>"$tmp/display" 2>"$tmp/xvfb.log" &
    xvfb_pid=$!
    ready() { grep -q . "$tmp/display" || ! kill -0 "$xvfb_pid" 2>/dev/null; }
    within 100 ready
    if grep -q . "$tmp/display" && kill -0 "$xvfb_pid" 2>/dev/null; then
        pids+=("$xvfb_pid")
        started=yes
        break
    fi
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
done
[ -n "$started" ] || { echo "FAIL: Xvfb did not start: $(cat "$tmp/xvfb.log")" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$tmp/display")"
# The station's user reaches the display before its session is started.
reachable() { "${as_user[@]}" env -i DISPLAY="$DISPLAY" /usr/bin/xdotool getdisplaygeometry >/dev/null 2>&1; }
within 100 reachable || { echo "FAIL: the display $DISPLAY cannot be reached by the station's user" >&2; exit 1; }

step "the session"
(cd "$home" && exec "${as_user[@]}" env -i HOME="$home" PATH="$bin:$tmp/trap:/usr/bin:/bin" \
    DISPLAY="$DISPLAY" XDG_RUNTIME_DIR="$tmp/xdg" LANG=C.UTF-8 \
    "$session" --config "$tmp/station.conf") >"$tmp/session.log" 2>&1 &
session_pid=$!
pids+=("$session_pid")

# The menu's windows by their titles (xdotool's --name misses a title set only as _NET_WM_NAME).
window_named() {
    local w
    for w in $(xdotool search --onlyvisible --classname '^rulevion-menu$' 2>/dev/null); do
        [ "$(xdotool getwindowname "$w" 2>/dev/null)" = "$1" ] && echo "$w" && return 0
    done
    return 0
}
shows() { [ -n "$(window_named "$1")" ]; }
box() { window_named 'Сообщение программы "Рулевион"'; }
has_box() { [ -n "$(box)" ]; }
no_box() { [ -z "$(box)" ]; }
keys() { "$xkeys" press "$@"; }
group() { "$xkeys" group; }
in_group() { [ "$(group)" = "$1" ]; }
signed_in() { [ -s "$station/db1.out" ] && iconv -f CP1251 -t UTF-8 "$station/db1.out" | grep -qF "$1"; }
# Top-level windows on the screen, to tell whether a key opened one.
windows() { xdotool search --onlyvisible --name '' 2>/dev/null | sort | tr '\n' ' '; }
session_over() { ! kill -0 "$session_pid" 2>/dev/null; }
log() { (cd "$home" && "${as_user[@]}" env -i HOME="$home" LANG=C.UTF-8 "$bin/rulevion-station" log 2>&1); }
report() { echo "session said: $(cat "$tmp/session.log")" >&2; }
finish() {
    if [ "$failures" -ne 0 ]; then
        report
        echo "$failures check(s) failed" >&2
        exit 1
    fi
    echo "session: all checks passed"
    exit 0
}
# What follows needs the session: a session that ended by mistake ends the test.
still_running() {
    session_over || return 0
    fail "the session ended too early"
    finish
}

within 300 shows rulevion-menu || { echo "FAIL: no menu window" >&2; report; exit 1; }
menu=$(window_named rulevion-menu)

step "the menu fills the screen, the panel scaled and centred"
geometry=$(xdotool getwindowgeometry "$menu")
grep -q "Position: 0,0" <<<"$geometry" && grep -q "Geometry: ${width}x$height" <<<"$geometry" ||
    fail "the menu's window is not the whole screen: $geometry"
# The panel's own 1019x573 scaled as far as the screen allows, centred; its controls are clicked
# at their places in the panel so scaled.
# The menu's rule: the scale to three decimals, Qt's logical screen rounded, the panel centred in
# it in whole logical pixels.
scale=$(awk -v w="$width" -v h="$height" \
    'BEGIN { s = w / 1019; if (h / 573 < s) s = h / 573; printf "%.3f\n", int(s * 1000) / 1000 }')
at() { # X Y on the panel -> the screen
    awk -v x="$1" -v y="$2" -v s="$scale" -v w="$width" -v h="$height" 'BEGIN {
        lw = int(w / s + 0.5); lh = int(h / s + 0.5)
        x0 = lw > 1019 ? int((lw - 1019) / 2) : 0; y0 = lh > 573 ? int((lh - 573) / 2) : 0
        printf "%d %d\n", (x0 + x) * s, (y0 + y) * s }'
}
click() { # X Y on the panel
    local point
    point=$(at "$1" "$2")
    xdotool mousemove ${point% *} ${point#* } click 1
}

step "keyboard: the configured layouts and switch, no console switch, no zap"
within 100 in_group 0 || fail "the keyboard does not start in the first layout (group $(group))"
query=$(setxkbmap -query)
grep -qE '^layout: +us,ru$' <<<"$query" || fail "layouts: $query"
grep -qE '^options:.*grp:alt_shift_toggle' <<<"$query" || fail "no Alt+Shift switch: $query"
# The keys themselves, not the server's list of what such keys would do.
keymap=$(xkbcomp -xkb "$DISPLAY" - 2>/dev/null | awk '/xkb_symbols/ { keys = 1 } keys')
grep -q 'Cyrillic_ze' <<<"$keymap" || fail "the keyboard has no Russian layout"
grep -q 'XF86Switch_VT' <<<"$keymap" && fail "Ctrl+Alt+F1…F12 still switch to a console"
grep -q 'Terminate_Server' <<<"$keymap" && fail "Ctrl+Alt+Backspace still ends the X server"
# At their Ctrl+Alt level Backspace and the function keys give nothing, so the menu never sees them.
for key in BKSP FK02 FK07; do
    grep -A3 "key <$key>" <<<"$keymap" | grep -q 'VoidSymbol' ||
        fail "Ctrl+Alt on <$key> still gives a key: $(grep -A3 "key <$key>" <<<"$keymap")"
done

step "sign-in with a Cyrillic number: Alt+Shift, ЗК on the Russian keys, Alt+Shift, -2024/5"
keys Alt_L+Shift_L
within 50 in_group 1 || fail "Alt+Shift did not switch to the Russian layout"
keys Shift_L+p Shift_L+r # З and К where the Latin layout has P and R
keys Alt_L+Shift_L
within 50 in_group 0 || fail "Alt+Shift did not switch back to the Latin layout"
keys minus 2 0 2 4 slash 5 Return
within 150 signed_in $'Лебедева Екатерина Андреевна\r\n3\r\nГруппа 7А\r\nЗК-2024/5' ||
    fail "no sign-in as ЗК-2024/5: db1.out holds '$(iconv -f CP1251 -t UTF-8 "$station/db1.out" 2>&1)'"

still_running
step "sign-in with a Latin number"
# Ctrl+Alt+Backspace must not reach the field as Ctrl+Backspace, which takes the number away.
keys Control_L+a BackSpace Shift_L+a Shift_L+b 1 2 Control_L+Alt_L+BackSpace Control_L+Alt_L+F2 Return
within 150 signed_in $'Попова Мария Игоревна\r\n2\r\nГруппа 8Б\r\nAB12' ||
    fail "no sign-in as AB12: db1.out holds '$(iconv -f CP1251 -t UTF-8 "$station/db1.out" 2>&1)'"

still_running
step "no way out: the usual escapes open nothing and end nothing"
before=$(windows)
for chord in Alt_L+Tab Alt_L+c Alt_L+F4 Alt_L+F2 Alt_L+Escape Alt_L+space Control_L+Alt_L+x \
    Control_L+Alt_L+t Control_L+Alt_L+r Control_L+Alt_L+BackSpace Control_L+Alt_L+F1 \
    Control_L+Alt_L+F7 F11 Super_L; do
    keys "$chord" || fail "cannot press $chord"
done
# A key that did something would show before the next state: a window of its own.
keys Alt_L+Shift_L Alt_L+Shift_L
[ "$(windows)" = "$before" ] || fail "the escapes changed the windows: $before -> $(windows)"
escaped=$(cd "$tmp" && ls -d escaped-* 2>/dev/null || true)
[ -z "$escaped" ] || fail "a key started a program: ${escaped//escaped-/}"
kill -0 "$session_pid" 2>/dev/null || fail "the escapes ended the session"
[ -e "$station/vdm_out.txt" ] && fail "the escapes made the menu decide $(cat "$station/vdm_out.txt")"
[ "$(window_named rulevion-menu)" = "$menu" ] || fail "the menu is not the one it was"

still_running
step "help: opens over the menu, Esc closes it, the menu stays"
click 893 29 # «П о м о щ ь»
within 150 shows rulevion-help || fail "no help shown after «Помощь»"
keys Control_L+o Control_L+p # the viewer's open and print keys lead nowhere
[ "$(windows)" = "$before" ] || fail "help's keys opened a window: $(windows)"
keys Escape
within 150 shows rulevion-menu || fail "Esc did not close the help"
shows rulevion-help && fail "the help still shows after Esc"
kill -0 "$session_pid" 2>/dev/null || fail "Esc in the help ended the session"
[ -e "$station/vdm_out.txt" ] && fail "Esc in the help reached the menu: it decided $(cat "$station/vdm_out.txt")"

still_running
step "exercises that cannot start: the box, then the menu"
click 173 388 # «Ездовые упражнения»
within 300 has_box || fail "no box about the exercises"
text=$(xdotool getwindowname "$(box)" 2>/dev/null || true)
[ -n "$text" ] || fail "the box has no title"
keys Return
within 150 no_box || fail "the box did not close"
within 150 shows rulevion-menu || fail "the menu did not come back after the box"
log | grep -q "exercises=.*could not be started" || fail "the log does not say why: $(log)"

still_running
step "Esc ends the session, and nothing it started is left"
keys Escape
within 300 session_over || fail "the session did not end after Esc"
status=0
wait "$session_pid" || status=$?
[ "$status" = 0 ] || fail "the session ended with status $status"
left=$(session_processes)
[ -z "$left" ] || fail "left running: $(for p in $left; do tr '\0' ' ' <"/proc/$p/cmdline"; echo; done)"
log | grep -q "ends what is still running: sleep" || fail "the log does not name the leftover"

finish
