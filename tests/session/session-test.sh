#!/usr/bin/env bash
# The station's X session as a booted station runs it: the session script, its window manager
# and keyboard layouts, the station's shell and the real menu, under a private X server, driven
# by real key events. Runs as an unprivileged user (nobody when started as root), as a station
# never runs as root.
#
# Usage: session-test.sh BIN_DIR SESSION_SCRIPT KEYS_FILE HELP_PDF
#   BIN_DIR         the programs (rulevion-station, rulevion-menu, rulevion-jetwriter)
#   SESSION_SCRIPT  rulevion-station-session
#   KEYS_FILE       the window manager's key shortcuts the package installs
#   HELP_PDF        vdm03.pdf
set -euo pipefail

bin=$(cd "$1" && pwd)
session=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
keys=$(cd "$(dirname "$3")" && pwd)/$(basename "$3")
pdf=$4

tmp=$(mktemp -d "${TMPDIR:-/tmp}/rv-session-XXXXXX")
chmod 755 "$tmp"
home=$tmp/home
pids=()

# Every process of the session carries its HOME: what is left of it afterwards is found by that.
session_processes() {
    local p
    for p in /proc/[0-9]*; do
        tr '\0' '\n' <"$p/environ" 2>/dev/null | grep -qxF "HOME=$home" && echo "${p#/proc/}"
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
# The exercises cannot start (no such program); the trainer's tools leave a process behind
# that has left the session's process group, as a daemon does.
cat >"$tmp/station.conf" <<CONF
folder=$station
drives=$drives
layouts=us,ru
layout-switch=grp:alt_shift_toggle
window-manager=matchbox-window-manager -use_titlebar no -kbdconfig '$keys'
exercises=wine 'C:\\dat_ulmo\\vdm.exe'
trainer=setsid sleep 600 & echo trainer >> trainer.log
CONF

# The station's user owns its folders; root stays outside.
as_user=()
if [ "$(id -u)" = 0 ]; then
    chown -R 65534:65534 "$tmp"
    as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups --)
fi
chmod 700 "$tmp/xdg"

step "a private X server"
Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp 5>"$tmp/display" 2>"$tmp/xvfb.log" &
pids+=("$!")
within 100 grep -q . "$tmp/display" || { echo "FAIL: Xvfb did not start: $(cat "$tmp/xvfb.log")" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$tmp/display")"

step "the session"
(cd "$home" && exec "${as_user[@]}" env -i HOME="$home" PATH="$bin:/usr/bin:/bin" \
    DISPLAY="$DISPLAY" XDG_RUNTIME_DIR="$tmp/xdg" LANG=C.UTF-8 \
    "$session" --config "$tmp/station.conf") >"$tmp/session.log" 2>&1 &
session_pid=$!
pids+=("$session_pid")

menu_window() { xdotool search --onlyvisible --classname rulevion-menu 2>/dev/null | head -n1; }
has_menu() { [ -n "$(menu_window)" ]; }
within 300 has_menu || { echo "FAIL: no menu window: $(cat "$tmp/session.log")" >&2; exit 1; }
window=$(menu_window)
echo "menu window $window"
xdotool getwindowgeometry "$window"

echo "failures: $failures"
[ -n "${HOLD:-}" ] && sleep "$HOLD"
exit 0
