#!/usr/bin/env bash
# Sets up, builds and starts the panel on a demo station of its own.
# With no display it runs the panel on a private X server, saves a screenshot and leaves with Esc.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target rulevion-menu rulevion-jetread rulevion-jetwriter rulevion-xshot rulevion-helpdoc 2>/dev/null \
  || cmake --build build -j"$(nproc)"
bin=$root/build/bin

demo=$root/build/demo
station=$demo/station
drives=$demo/drives
rm -rf "$demo"
mkdir -p "$station" "$drives/c/dat_ulmo/as_dbase/trener/01"
printf 'Demo monitor\r\n1024x768\r\n1\r\n' > "$station/__monitor.txt"        # third line 1: drive C:
"$bin/rulevion-jetwriter" password 1234 "$station/vdmdat01.bin"
"$bin/rulevion-jetwriter" students res/demo/students.csv "$drives/c/dat_ulmo/as_dbase/trener/01/dbtrener.mdb"
[ -f build/doc/vdm03.pdf ] && cp build/doc/vdm03.pdf "$station/"

cd "$station"
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$demo/xdg-runtime}
mkdir -p -m 0700 "$XDG_RUNTIME_DIR"
export VDM_DRIVES=$drives
if [ -n "${DISPLAY:-}" ]; then
  "$bin/rulevion-menu" || true
else
  echo "No display: running the panel on a private X server."
  # The server's own process id, so that only this server is stopped at the end.
  xlog=$demo/xvfb.log
  coproc XVFB { exec Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp 2>"$xlog"; }
  xvfb_pid=$XVFB_PID
  trap 'kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null' EXIT
  if ! read -r -t 30 num <&"${XVFB[0]}"; then
    echo "demo.sh: the X server did not start:" >&2
    cat "$xlog" >&2
    exit 1
  fi
  export DISPLAY=":$num"
  "$bin/rulevion-menu" 2>"$demo/menu-stderr.log" &
  pid=$!
  # The panel is up once its window of 1019 x 573 is mapped.
  panel=
  for _ in $(seq 300); do
    for w in $(xdotool search --onlyvisible --pid "$pid" 2>/dev/null); do
      xdotool getwindowgeometry "$w" 2>/dev/null | grep -q 1019x573 && panel=$w
    done
    [ -n "$panel" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if [ -z "$panel" ]; then
    echo "demo.sh: the panel did not come up:" >&2
    cat "$demo/menu-stderr.log" >&2
    exit 1
  fi
  "$bin/rulevion-xshot" "$demo/panel.png"
  echo "Screenshot of the panel: $demo/panel.png"
  # A student signs in, as one would at the station, then leaves with Esc.
  xdotool windowfocus --sync "$panel"
  xdotool type --delay 40 12345
  xdotool key Return
  # The sign-in is done once its record has its six lines, or a box has come up.
  for _ in $(seq 300); do
    [ -f db1.out ] && [ "$(grep -c '' db1.out)" -ge 6 ] && break
    [ "$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | wc -l)" -gt 1 ] && break
    sleep 0.1
  done
  "$bin/rulevion-xshot" "$demo/signed-in.png"
  echo "Screenshot after student 12345 signed in: $demo/signed-in.png"
  xdotool windowfocus --sync "$panel"
  xdotool key Escape
  wait "$pid" || true
fi

echo "Station folder: $station"
echo "Hand-off code (vdm_out.txt): $(cat vdm_out.txt 2>/dev/null || echo '<none>')"
if [ -f db1.out ]; then
  echo "Sign-in record (db1.out, CP1251):"
  iconv -f CP1251 -t UTF-8 db1.out | tr -d '\r' | sed 's/^/  /'
fi
