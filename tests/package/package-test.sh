#!/usr/bin/env bash
# Builds the Debian package from a finished build folder, checks its control fields and file
# list and lintian's verdict, unpacks it into a throw-away root and runs the programs from there
# on a station folder of their own: the writer makes the station's files, the menu starts, and a
# sign-in under a private X server proves that the installed program finds its installed reader
# helper.
#
# Usage: package-test.sh BUILD_DIR SOURCE_DIR VERSION
set -euo pipefail

build=$1
source=$2
version=$3

tmp=$(mktemp -d "${TMPDIR:-/tmp}/rv-package-XXXXXX")
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
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

dead() { ! kill -0 "$1" 2>/dev/null; }

step "cpack -G DEB"
timeout 120 cpack --config "$build/CPackConfig.cmake" -G DEB -B "$tmp/pkg" >"$tmp/cpack.log" 2>&1 || {
    cat "$tmp/cpack.log" >&2
    echo "FAIL: cpack" >&2
    exit 1
}
arch=$(dpkg --print-architecture)
deb=$tmp/pkg/rulevion-menu_${version}_${arch}.deb
[ -f "$deb" ] || { ls -l "$tmp/pkg" >&2; echo "FAIL: no $deb" >&2; exit 1; }

step "control fields"
[ "$(dpkg-deb -f "$deb" Package)" = rulevion-menu ] || fail "Package is $(dpkg-deb -f "$deb" Package)"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "Version is $(dpkg-deb -f "$deb" Version)"
[ "$(dpkg-deb -f "$deb" Architecture)" = "$arch" ] || fail "Architecture is $(dpkg-deb -f "$deb" Architecture)"
depends=$(dpkg-deb -f "$deb" Depends)
# The names alone, one a line: "libqt6gui6 (>= 6.1.2), fonts-liberation2" -> libqt6gui6, ...
names=$(tr ',' '\n' <<<"$depends" | sed -E 's/^ *//; s/[ (].*//')
# The station's session needs its window manager and keyboard layouts; the display through xcb.
for need in libqt6core6 libqt6gui6 libqt6widgets6 qt6-qpa-plugins fonts-liberation2 libc6 \
    matchbox-window-manager x11-xkb-utils xkb-data libxcb1; do
    grep -qx "$need" <<<"$names" || fail "Depends lacks $need: $depends"
done
# Build-only and test-only libraries must not reach a station.
for never in libgtest-dev libqt6test6 libqt6svg6 libbenchmark1debian libmdb3; do
    grep -qx "$never" <<<"$names" && fail "Depends names $never: $depends"
done
# Recommends are installed along with the package: nothing there may bring a terminal, a desktop
# or a display manager onto a student's station. What is optional is suggested.
recommends=$(dpkg-deb -f "$deb" Recommends)
[ "$recommends" = qt6-translations-l10n ] || fail "Recommends is '$recommends'"
suggests=$(dpkg-deb -f "$deb" Suggests)
[ "$suggests" = "nodm | lightdm, wine, xdg-utils, pdf-viewer" ] || fail "Suggests is '$suggests'"
dpkg-deb -f "$deb" Maintainer | grep -q '<.*@.*>' || fail "Maintainer has no address"

step "file list"
# Every regular file with its mode and owner; nothing more, nothing less.
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $1, $2, $6 }' | sort >"$tmp/files"
sort >"$tmp/expected" <<'EOF'
-rwxr-xr-x root/root ./usr/bin/rulevion-menu
-rwxr-xr-x root/root ./usr/bin/rulevion-jetwriter
-rwxr-xr-x root/root ./usr/bin/rulevion-station
-rwxr-xr-x root/root ./usr/bin/rulevion-station-session
-rwxr-xr-x root/root ./usr/libexec/rulevion/rulevion-jetread
-rw-r--r-- root/root ./etc/rulevion/station.conf
-rw-r--r-- root/root ./etc/rulevion/matchbox-keys
-rw-r--r-- root/root ./usr/share/doc/rulevion-menu/examples/lightdm-rulevion-station.conf
-rw-r--r-- root/root ./usr/share/doc/rulevion-menu/examples/nodm
-rw-r--r-- root/root ./usr/share/rulevion/vdm03.pdf
-rw-r--r-- root/root ./usr/share/applications/rulevion-menu.desktop
-rw-r--r-- root/root ./usr/share/xsessions/rulevion-station.desktop
-rw-r--r-- root/root ./usr/share/icons/hicolor/16x16/apps/rulevion-menu.png
-rw-r--r-- root/root ./usr/share/icons/hicolor/32x32/apps/rulevion-menu.png
-rw-r--r-- root/root ./usr/share/icons/hicolor/48x48/apps/rulevion-menu.png
-rw-r--r-- root/root ./usr/share/icons/hicolor/64x64/apps/rulevion-menu.png
-rw-r--r-- root/root ./usr/share/icons/hicolor/128x128/apps/rulevion-menu.png
-rw-r--r-- root/root ./usr/share/icons/hicolor/256x256/apps/rulevion-menu.png
-rw-r--r-- root/root ./usr/share/icons/hicolor/scalable/apps/rulevion-menu.svg
-rw-r--r-- root/root ./usr/share/man/man1/rulevion-menu.1.gz
-rw-r--r-- root/root ./usr/share/man/man1/rulevion-jetwriter.1.gz
-rw-r--r-- root/root ./usr/share/man/man1/rulevion-station.1.gz
-rw-r--r-- root/root ./usr/share/man/man1/rulevion-station-session.1.gz
-rw-r--r-- root/root ./usr/share/man/ru/man1/rulevion-menu.1.gz
-rw-r--r-- root/root ./usr/share/man/ru/man1/rulevion-jetwriter.1.gz
-rw-r--r-- root/root ./usr/share/man/ru/man1/rulevion-station.1.gz
-rw-r--r-- root/root ./usr/share/man/ru/man1/rulevion-station-session.1.gz
-rw-r--r-- root/root ./usr/share/doc/rulevion-menu/copyright
-rw-r--r-- root/root ./usr/share/doc/rulevion-menu/changelog.gz
-rw-r--r-- root/root ./usr/share/doc/rulevion-menu/README.md
-rw-r--r-- root/root ./usr/share/doc/rulevion-menu/rulevion-guide.pdf
-rw-r--r-- root/root ./usr/share/doc-base/rulevion-menu.rulevion-guide
-rw-r--r-- root/root ./usr/share/lintian/overrides/rulevion-menu
EOF
diff -u "$tmp/expected" "$tmp/files" >&2 || fail "file list differs (- expected, + in the package)"

# The technician's edits of the example configuration survive an upgrade.
conffiles=$(dpkg-deb --ctrl-tarfile "$deb" | tar -xOf - ./conffiles 2>/dev/null | sort | tr '\n' ' ' || true)
[ "$conffiles" = "/etc/rulevion/matchbox-keys /etc/rulevion/station.conf " ] ||
    fail "conffiles list is '$conffiles'"

step "lintian --pedantic"
# Every tag lintian still has is either fixed or explained in the package's override file;
# overridden tags are not shown, so anything printed is a finding. (Its warning about running
# as root is about itself, not the package.)
if ! command -v lintian >/dev/null; then
    fail "lintian is needed for the package's verdict (scripts/setup.sh installs it)"
else
    timeout 120 lintian --pedantic --display-info --tag-display-limit 0 "$deb" >"$tmp/lintian" 2>&1 ||
        true
    grep -v 'running with root privileges' "$tmp/lintian" >"$tmp/tags" || true
    [ -s "$tmp/tags" ] && fail "lintian: $(cat "$tmp/tags")"
fi

step "unpacked into a throw-away root"
root=$tmp/root
# The session below runs the unpacked programs as an unprivileged user.
chmod 755 "$tmp"
dpkg -x "$deb" "$root"
usr=$root/usr

# A path of the build machine in an installed file would point a station at nothing.
if grep -rlF "$source" "$root" >"$tmp/baked"; then
    fail "installed files name the build machine's $source: $(tr '\n' ' ' <"$tmp/baked")"
fi
for exe in bin/rulevion-menu bin/rulevion-jetwriter libexec/rulevion/rulevion-jetread; do
    readelf -d "$usr/$exe" | grep -Eq 'RPATH|RUNPATH' && fail "$exe carries a run path"
    readelf -S "$usr/$exe" | grep -q '\.debug_info' && fail "$exe is not stripped"
    # The database is read by our own code; mdbtools is for tests only.
    readelf -d "$usr/$exe" | grep -q 'NEEDED.*libmdb' && fail "$exe links libmdb"
done

[ "$(head -c 5 "$usr/share/rulevion/vdm03.pdf")" = "%PDF-" ] || fail "vdm03.pdf is not a PDF"
for size in 16 32 48 64 128 256; do
    png=$usr/share/icons/hicolor/${size}x${size}/apps/rulevion-menu.png
    # PNG signature, then the IHDR width and height as 32-bit big-endian numbers.
    read -r w3 w2 w1 w0 h3 h2 h1 h0 < <(od -An -tu1 -j16 -N8 "$png")
    [ "$(head -c 4 "$png" | od -An -tx1 | tr -d ' ')" = 89504e47 ] || fail "$png is not a PNG"
    w=$(((w3 << 24) | (w2 << 16) | (w1 << 8) | w0))
    h=$(((h3 << 24) | (h2 << 16) | (h1 << 8) | h0))
    [ "$w.$h" = "$size.$size" ] || fail "$png is ${w}x$h"
done
svg=$usr/share/icons/hicolor/scalable/apps/rulevion-menu.svg
grep -q '<svg' "$svg" || fail "$svg is not an SVG drawing"

# The menu entry and the station's X session each start a program the package installs.
for desktop in "$usr/share/applications/rulevion-menu.desktop" \
    "$usr/share/xsessions/rulevion-station.desktop"; do
    [ -f "$desktop" ] || continue # the file list above already names it
    program=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
    [ -n "$program" ] && [ -x "$usr/bin/$program" ] ||
        fail "$desktop runs '$program', which the package does not install"
    if command -v desktop-file-validate >/dev/null; then
        desktop-file-validate "$desktop" >&2 || fail "desktop-file-validate $desktop"
    fi
done
grep -qx 'Icon=rulevion-menu' "$usr/share/applications/rulevion-menu.desktop" ||
    fail "desktop entry names another icon"

# Each command has its manual page in English and Russian, and each page reads as one: its
# NAME line names the command, in Russian under ИМЯ.
for exe in "$usr"/bin/*; do
    name=$(basename "$exe")
    for lang in "" ru/; do
        page=$usr/share/man/${lang}man1/$name.1.gz
        if [ ! -f "$page" ]; then
            fail "no manual page ${lang}man1/$name.1.gz"
            continue
        fi
        # A page may be a ".so" link to another one, as man itself follows it.
        target=$(zcat "$page" | sed -n 's/^\.so  *//p')
        [ -n "$target" ] && page=$usr/share/man/${lang}$target.gz
        text=$(zcat "$page" 2>/dev/null | MANWIDTH=80 LANG=C.UTF-8 man -E UTF-8 -l - 2>&1) ||
            fail "man cannot show ${lang}man1/$name.1.gz: $text"
        heading=NAME
        [ "$lang" = ru/ ] && heading=ИМЯ
        grep -q "^$heading\$" <<<"$text" || fail "${lang}man1/$name.1.gz has no $heading section"
    done
done

# The changelog's newest entry is the version packaged.
changelog_version=$(zcat "$usr/share/doc/rulevion-menu/changelog.gz" | sed -n '1s/^rulevion-menu (\([^)]*\)).*/\1/p')
[ "$changelog_version" = "$version" ] || fail "changelog's newest entry is '$changelog_version'"
[ "$("$usr/bin/rulevion-menu" --version)" = "rulevion-menu $version" ] ||
    fail "rulevion-menu --version says '$("$usr/bin/rulevion-menu" --version 2>&1)'"

step "station files made with the installed writer"
station=$tmp/station
drives=$tmp/drives
mkdir -p "$station" "$drives/c/dat_ulmo/as_dbase/trener/01"
printf 'monitor\r\n1024x768\r\n1\r\n' >"$station/__monitor.txt"
cat >"$tmp/class.csv" <<'EOF'
StBook,StName,StNum,GrNum,StCount,GrCount
"12345","Иванов Пётр Сергеевич","1","Группа 7А",0,12
"ab12","Попова Мария Игоревна","2","Группа 8Б",-5,10
EOF
"$usr/bin/rulevion-jetwriter" students "$tmp/class.csv" \
    "$drives/c/dat_ulmo/as_dbase/trener/01/dbtrener.mdb" || fail "jetwriter students"
"$usr/bin/rulevion-jetwriter" password 1234 "$station/vdmdat01.bin" || fail "jetwriter password"
[ "$(od -An -tx1 "$station/vdmdat01.bin" | tr -d ' \n')" = 3e890000d2040000 ] ||
    fail "password file holds $(od -An -tx1 "$station/vdmdat01.bin")"

# The program's environment: nothing of the build folder, a private runtime folder. Each run is
# the program's own process (exec all the way), so xdotool finds its window by pid; the cleanup
# ends whatever outlives its deadline.
mkdir -m 700 "$tmp/xdg"
run_env=(env -u QT_QPA_PLATFORMTHEME -u RV_BIN_DIR -u RV_TEST_DATA
    XDG_RUNTIME_DIR="$tmp/xdg" VDM_DRIVES="$drives" LANG=C.UTF-8)

step "the installed program starts (offscreen)"
# At start the panel clears the previous student's result files: the sign that it is up.
touch "$station/db1.out" "$station/db3a.out"
(cd "$station" && exec "${run_env[@]}" QT_QPA_PLATFORM=offscreen "$usr/bin/rulevion-menu") \
    >"$tmp/offscreen.log" 2>&1 &
menu=$!
pids+=("$menu")
if within 150 test ! -e "$station/db1.out" -a ! -e "$station/db3a.out"; then
    kill -0 "$menu" 2>/dev/null || fail "the program ended on its own: $(cat "$tmp/offscreen.log")"
else
    fail "the program did not clear the result files: $(cat "$tmp/offscreen.log")"
fi
kill "$menu" 2>/dev/null || true
wait "$menu" 2>/dev/null || true
rm -f "$station/vdm_out.txt"

step "sign-in through the installed helper (Xvfb)"
if ! command -v Xvfb >/dev/null || ! command -v xdotool >/dev/null; then
    fail "Xvfb and xdotool are needed for the sign-in check (scripts/setup.sh installs them)"
else
    Xvfb -displayfd 5 -screen 0 1280x1024x24 -nolisten tcp 5>"$tmp/display" 2>"$tmp/xvfb.log" &
    pids+=("$!")
    within 100 grep -q . "$tmp/display" || fail "Xvfb did not start: $(cat "$tmp/xvfb.log")"
    export DISPLAY=":$(head -n1 "$tmp/display")"
    (cd "$station" && exec "${run_env[@]}" QT_QPA_PLATFORM=xcb "$usr/bin/rulevion-menu") \
        >"$tmp/x.log" 2>&1 &
    menu=$!
    pids+=("$menu")
    window=$(timeout 20 xdotool search --sync --onlyvisible --pid "$menu" 2>/dev/null | head -n1 || true)
    if [ -z "$window" ]; then
        fail "no panel window: $(cat "$tmp/x.log")"
    else
        timeout 10 xdotool windowfocus --sync "$window" || true
        # Stored as ab12: letter case does not matter, and db1.out keeps the number as typed.
        timeout 10 xdotool type --delay 30 AB12
        timeout 10 xdotool key Return
        if within 150 test -s "$station/db1.out"; then
            expected=$(printf 'Попова Мария Игоревна\r\n2\r\nГруппа 8Б\r\nAB12\r\n-5\r\n10\r\n')
            got=$(iconv -f CP1251 -t UTF-8 "$station/db1.out")
            [ "$got" = "$expected" ] || fail "db1.out holds: $got"
        else
            fail "no sign-in record; the program said: $(cat "$tmp/x.log")"
        fi
        timeout 10 xdotool key Escape
    fi
    within 150 dead "$menu" || fail "the program did not end after Escape"
    status=0
    wait "$menu" || status=$?
    [ "$status" = 0 ] || fail "the program ended with status $status: $(cat "$tmp/x.log")"
    [ "$(cat "$station/vdm_out.txt" 2>/dev/null)" = 0 ] ||
        fail "hand-off file holds '$(cat "$station/vdm_out.txt" 2>/dev/null)', not 0"
fi

step "the station's session from the package (Xvfb)"
bash "$source/tests/session/session-test.sh" "$usr/bin" "$usr/bin/rulevion-station-session" \
    "$root/etc/rulevion/matchbox-keys" "$usr/share/rulevion/vdm03.pdf" "$build/tests/rv_xkeys" \
    "$build/tests/rv_screencheck" "$build/bin/rulevion-xshot" ||
    fail "the station's session from the package"

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "package $deb: all checks passed"
