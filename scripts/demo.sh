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
  exec 3< <(Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp 2>/dev/null)
  read -r -t 10 num <&3
  export DISPLAY=":$num"
  "$bin/rulevion-menu" &
  pid=$!
  for _ in $(seq 50); do
    xdotool search --onlyvisible --pid "$pid" >/dev/null 2>&1 && break
    sleep 0.2
  done
  sleep 0.5
  "$bin/rulevion-xshot" "$demo/panel.png"
  echo "Screenshot of the panel: $demo/panel.png"
  # A student signs in, as one would at the station, then leaves with Esc.
  xdotool type --delay 40 12345
  xdotool key Return
  sleep 1
  "$bin/rulevion-xshot" "$demo/signed-in.png"
  echo "Screenshot after student 12345 signed in: $demo/signed-in.png"
  xdotool key Escape
  wait "$pid" || true
  pkill -f "Xvfb -displayfd 1 -screen 0 1280x1024x24" 2>/dev/null || true
fi

echo "Station folder: $station"
echo "Hand-off code (vdm_out.txt): $(cat vdm_out.txt 2>/dev/null || echo '<none>')"
if [ -f db1.out ]; then
  echo "Sign-in record (db1.out, CP1251):"
  iconv -f CP1251 -t UTF-8 db1.out | tr -d '\r' | sed 's/^/  /'
fi
