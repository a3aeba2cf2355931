#!/usr/bin/env bash
# The station's X session as a booted station runs it: the session script, its window manager
# and keyboard layouts, the station's shell and the real menu, under a private X server, driven
# by real key events. Runs as an unprivileged user (nobody when started as root), as a station
# never runs as root.
#
# Usage: session-test.sh BIN_DIR SESSION_SCRIPT KEYS_FILE HELP_PDF XKEYS SCREENCHECK XSHOT
#   BIN_DIR         the programs (rulevion-station, rulevion-menu, rulevion-jetwriter)
#   SESSION_SCRIPT  rulevion-station-session
#   KEYS_FILE       the window manager's key shortcuts the package installs
#   HELP_PDF        vdm03.pdf
#   XKEYS           rv_xkeys, which presses keys as a keyboard does
#   SCREENCHECK     rv_screencheck, which tells from a screenshot whether a box was drawn
#   XSHOT           rulevion-xshot, which takes the screenshot
set -euo pipefail

bin=$(cd "$1" && pwd)
session=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
keys=$(cd "$(dirname "$3")" && pwd)/$(basename "$3")
pdf=$4
xkeys=$5
screencheck=$6
xshot=$7

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
trainer=false
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
step "every window the menu shows: drawn over the menu, answered by a key, the keyboard back"
# The menu's process of this session, the newest (the shell starts one after each decision):
# found below the session in the process tree, in one look at the whole table.
menu_pid() {
    ps -e -o pid=,ppid=,comm= | awk -v root="$session_pid" '
        { parent[$1] = $2; name[$1] = $3 }
        END {
            for (p in name) {
                if (name[p] != "rulevion-menu") continue
                for (q = p; q in parent && q != root && q > 1; q = parent[q]) {}
                if (q == root && p + 0 > best) best = p + 0
            }
            if (best) print best
        }'
}
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat" 2>/dev/null || echo 0; }
shot() { # -> the file of a new screenshot (a name of its own: this runs in a subshell)
    local file
    file=$(mktemp --suffix=.png "$tmp/shot-XXXXXX") && "$xshot" "$file" 2>/dev/null && echo "$file"
}
keep_shot() { # a failing step's screen, for whoever reads the failure
    local dir=$bin/../test-failures
    mkdir -p "$dir" && cp "$1" "$dir/session-$2.png" 2>/dev/null && echo "(screen kept: $dir/session-$2.png)" >&2
    [ -e "$1.expected.png" ] && cp "$1.expected.png" "$dir/session-$2-expected.png" 2>/dev/null
    return 0
}
region() { # X Y W H on the panel -> on the screen
    local a b
    a=$(at "$1" "$2")
    b=$(at "$(($1 + $3))" "$(($2 + $4))")
    echo "${a% *} ${a#* } $((${b% *} - ${a% *})) $((${b#* } - ${a#* }))"
}
entry_area=$(region 30 300 280 30)
# A window's inside on the screen, "X Y W H" (xdotool counts the window manager's frame twice).
client_geometry() {
    xwininfo -id "$1" 2>/dev/null | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
        /^ *Width:/ { w = $NF } /^ *Height:/ { h = $NF } END { if (w) print x, y, w, h; else exit 1 }'
}
hint_area="0 $((height - 80)) $((width / 2)) 80"
changed() { # A B AREA...
    QT_SCALE_FACTOR=$scale "$screencheck" differs "$@" 2>/dev/null
}
# The menu spends no time while it waits for a student: at most a tenth of a second in two.
menu_idle() {
    local pid t0 t1
    pid=$(menu_pid)
    [ -n "$pid" ] || return 1
    t0=$(cpu_ticks "$pid")
    sleep 2
    t1=$(cpu_ticks "$pid")
    [ $((t1 - t0)) -le 10 ] || { echo "the menu used $((t1 - t0)) ticks of CPU in 2 s" >&2; return 1; }
}
# A digit typed now lands in the field where the student types his number.
typing_lands_in_field() {
    local before after i
    before=$(shot)
    keys 7
    for ((i = 0; i < 50; i++)); do
        after=$(shot)
        changed "$before" "$after" $entry_area && { keys BackSpace; return 0; }
        sleep 0.1
    done
    keep_shot "$after" "$1-keyboard"
    keys BackSpace
    return 1
}
# The box over the menu shows its own inside: the same box drawn here, pixel for pixel.
box_drawn() { # KIND NAME
    local w geometry picture="" i
    for ((i = 0; i < 50; i++)); do
        w=$(box)
        if [ -n "$w" ] && geometry=$(client_geometry "$w") && picture=$(shot); then
            # shellcheck disable=SC2086 # four numbers
            QT_SCALE_FACTOR=$scale "$screencheck" box "$picture" $geometry "$1" \
                2>"$tmp/check.err" && return 0
        fi
        sleep 0.1
    done
    echo "$(cat "$tmp/check.err" 2>/dev/null)" >&2
    [ -n "${picture:-}" ] && keep_shot "$picture" "$2-box"
    return 1
}
dialog_drawn() { # TITLE NAME: its area no longer shows what lay there before
    local w geometry picture="" i
    for ((i = 0; i < 50; i++)); do
        w=$(window_named "$1")
        # shellcheck disable=SC2086 # four numbers
        if [ -n "$w" ] && geometry=$(client_geometry "$w") && picture=$(shot) &&
            changed "$before_window" "$picture" $geometry; then
            return 0
        fi
        sleep 0.1
    done
    [ -n "$picture" ] && keep_shot "$picture" "$2-dialog"
    return 1
}
trainer_title="Ввод пароля тренера"
open_trainer() { click 637 29; within 150 shows "$trainer_title"; }
new_menu_after() { # PID: the shell has started the next menu, after the decision
    local old=$1 now i
    for ((i = 0; i < 300; i++)); do
        now=$(menu_pid)
        [ -n "$now" ] && [ "$now" != "$old" ] && shows rulevion-menu && return 0
        sleep 0.1
    done
    return 1
}
password_file=$station/vdmdat01.bin
monitor_file=$station/__monitor.txt
# One row a window, in the order a station meets them: name | how it opens | what shows (a box's
# text, the trainer's dialog or the help) | the key that answers | what then (the menu stays, or
# it has decided and the shell starts it again). The trainer's command fails (trainer=false), so
# the menu after the right password comes up with its box.
cases=(
    "help|click 893 29|help|Escape|stays"
    "trainer-cancel|open_trainer|dialog|Escape|stays"
    "trainer-wrong|open_trainer && keys 9 9 9 Return|text:WrongPassword:error|Return|stays"
    "trainer-wrong-click|open_trainer && keys 9 8 7 && click_dialog_ok|text:WrongPassword:error|Escape|stays"
    "question|keys 1 2 && click 173 388|slot:DrivingQuestion:question|Escape|stays"
    "not-found|keys Control_L+a BackSpace 9 9 9 9 9 Return|slot:StudentNotFound:signin|Escape|stays"
    "trainer-right|open_trainer && keys 1 2 3 4 Return|none||decides"
    "trainer-failed|true|text:TrainerFailed:error|Return|stays"
    "password-unreadable|chmod 000 $password_file && open_trainer_box|text:CannotOpenPasswordFile:error|Return|decides"
    "password-short|printf abc >$password_file && chmod 644 $password_file && open_trainer_box|text:CannotReadPasswordFile:error|Return|decides"
    "no-monitor-file|mv $monitor_file $monitor_file.away && keys 1 2 3 4 5 Return|slot:CannotOpenMonitor:signin|Return|decides"
)
# The trainer's dialog never shows when its file cannot be read: the box comes instead.
open_trainer_box() { click 637 29; }
# OK of the trainer's dialog, clicked where the dialog stands.
click_dialog_ok() {
    local x y w h
    read -r x y w h < <(client_geometry "$(window_named "$trainer_title")") &&
        xdotool mousemove $((x + w * 24 / 100)) $((y + h * 81 / 100)) click 1
}
"$bin/rulevion-jetwriter" password 1234 "$tmp/vdmdat01.bin.good" >/dev/null
for row in "${cases[@]}"; do
    IFS='|' read -r name opens shown answer after <<<"$row"
    still_running
    echo "    - $name ($(date +%T))"
    pid=$(menu_pid)
    before_window=$(shot) || fail "$name: no screenshot"
    eval "$opens" || fail "$name: could not open it"
    case $shown in
        help) within 150 shows rulevion-help || fail "$name: no help" ;;
        dialog) dialog_drawn "$trainer_title" "$name" || fail "$name: the trainer's dialog is not drawn" ;;
        none) ;;
        *) box_drawn "$shown" "$name" || fail "$name: the box is not drawn over the menu" ;;
    esac
    [ -n "$answer" ] && keys "$answer"
    case $after in
        stays)
            within 150 no_box || fail "$name: the box did not close"
            within 150 shows rulevion-menu || fail "$name: the menu did not come back"
            shows "$trainer_title" && fail "$name: the trainer's dialog is still there"
            [ "$(menu_pid)" = "$pid" ] || fail "$name: the menu ended"
            typing_lands_in_field "$name" || fail "$name: typed digits do not reach the field"
            menu_idle || fail "$name: the menu does not rest after it"
            ;;
        decides)
            new_menu_after "$pid" || fail "$name: the menu did not decide and come back"
            ;;
    esac
    # What the case broke, mended for the next.
    cp "$tmp/vdmdat01.bin.good" "$password_file"
    chmod 644 "$password_file"
    [ -e "$monitor_file.away" ] && mv "$monitor_file.away" "$monitor_file"
    if [ "$name" = not-found ]; then
        # shellcheck disable=SC2086 # four numbers
        picture=$(shot) && changed "$before_window" "$picture" $hint_area ||
            { keep_shot "$picture" hint; fail "no line says how to try again after the sign-in attempt"; }
        # The run's attempt is used up: «Возврат» starts the next, and the keyboard is in the field.
        pid=$(menu_pid)
        click 381 29
        new_menu_after "$pid" || fail "«Возврат» did not start the menu again"
    fi
done
log | grep -q "trainer=false" || fail "the log does not tell why the trainer's tools failed: $(log)"

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
