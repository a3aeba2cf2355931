#!/usr/bin/env bash
# Builds a station's disk image, to be written onto a station's disk or a USB stick (dd): Debian 12
# from the archive apt uses, the package built from this checkout, `rulevion-station setup` run
# inside with the school's class list and password, and GRUB for BIOS and UEFI machines on one
# GPT disk (a BIOS boot partition, an EFI system partition, the root file system). Runs as root;
# needs no loop devices or mounts of its own: each partition is made as a file and put in place.
#
#   bash scripts/station-image.sh --list klass.csv --password 1234 --technician SECRET [OPTIONS]
#
#   --list FILE        the class list (any format rulevion-jetwriter reads)
#   --password N       the trainer's password
#   --technician PW    the technician's password: GRUB's menu entry "Technician console" and
#                      root's password at that console
#   --out FILE         the image (default build-image/station.img)
#   --deb FILE         the package; default: built with cpack in --build-dir
#   --build-dir DIR    the build the package comes from (default build-deb, made as README says)
#   --cache DIR        downloaded packages, kept between runs (default $RULEVION_IMAGE_CACHE,
#                      else /var/cache/rulevion/image-apt)
#   --extra-package P  one more Debian package, for a test image only (repeatable)
#   --hook CMD         one more mmdebstrap customize hook, for a test image only (repeatable)
#
# The technician reaches a root console by pressing Esc during the second GRUB waits at boot, which
# shows its menu, and choosing "Technician console": GRUB asks for the technician's password
# (a student can neither choose that entry nor change the kernel's command line without it), and
# the rescue console asks for root's. In the station's session no key reaches a console.
set -euo pipefail
cd "$(dirname "$0")/.."

list= password= technician= out=build-image/station.img deb= build_dir=build-deb
cache=${RULEVION_IMAGE_CACHE:-/var/cache/rulevion/image-apt}
extra=() hooks=()
while [ $# -gt 0 ]; do
  case "$1" in
    --list) list=$2; shift 2 ;;
    --password) password=$2; shift 2 ;;
    --technician) technician=$2; shift 2 ;;
    --out) out=$2; shift 2 ;;
    --deb) deb=$2; shift 2 ;;
    --build-dir) build_dir=$2; shift 2 ;;
    --cache) cache=$2; shift 2 ;;
    --extra-package) extra+=("$2"); shift 2 ;;
    --hook) hooks+=("$2"); shift 2 ;;
    -h | --help) sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 0 ;;
    *) echo "station-image: unknown argument $1 (see the head of $0)" >&2; exit 2 ;;
  esac
done
[ -n "$list" ] && [ -n "$password" ] && [ -n "$technician" ] || {
  echo "station-image: --list, --password and --technician are required (see the head of $0)" >&2
  exit 2
}
[ -r "$list" ] || { echo "station-image: the class list $list cannot be read" >&2; exit 1; }
[ "$(id -u)" -eq 0 ] || { echo "station-image: run as root" >&2; exit 1; }
bash scripts/setup.sh --image

start=$(date +%s)
if [ -z "$deb" ]; then
  if [ ! -f "$build_dir/CPackConfig.cmake" ]; then
    cmake -S . -B "$build_dir" -G Ninja -DRULEVION_TESTS=OFF
  fi
  cmake --build "$build_dir"
  (cd "$build_dir" && cpack -G DEB >/dev/null)
  deb=$(ls -t "$build_dir"/rulevion-menu_*_amd64.deb | head -1)
fi
deb=$(realpath "$deb")
list=$(realpath "$list")
mkdir -p "$(dirname "$out")" "$cache"
cache=$(realpath "$cache")
work=$(mktemp -d "${TMPDIR:-/tmp}/station-image-XXXXXX")
trap 'rm -rf "$work"' EXIT

# The same archive and suites apt uses here.
mirror=$(awk '/^URIs:/ { print $2; exit }' /etc/apt/sources.list.d/debian.sources 2>/dev/null ||
  true)
mirror=${mirror:-http://deb.debian.org/debian}
if ! curl -fsS --max-time 30 --retry 1 "$mirror/dists/bookworm/Release" -o /dev/null 2>/dev/null &&
  ! wget -q -T 30 -t 2 -O /dev/null "$mirror/dists/bookworm/Release" 2>/dev/null; then
  echo "station-image: the Debian archive $mirror cannot be reached" >&2
  exit 1
fi

root_uuid=$(cat /proc/sys/kernel/random/uuid)
pbkdf2=$(printf '%s\n%s\n' "$technician" "$technician" | grub-mkpasswd-pbkdf2 |
  awk '/grub.pbkdf2/ { print $NF }')
quoted_password=$(printf %q "$password")
root_hash=$(openssl passwd -6 "$technician" 2>/dev/null || mkpasswd -m sha-512 "$technician")

# Read by a hook from a file, so that no command line shows even the hash.
(umask 077 && echo "root:$root_hash" >"$work/root-password")

packages=(systemd-sysv udev linux-image-amd64 initramfs-tools e2fsprogs
  xserver-xorg-core xserver-xorg-input-libinput nodm dbus locales "${extra[@]}")
include=$(IFS=,; echo "${packages[*]}")

# Downloaded packages stay in the cache for the next build; one retry when the archive fails.
bootstrap() {
  mmdebstrap --variant=minbase --include="$include" \
    --aptopt='Acquire::Retries "1"' \
    --skip=download/empty --skip=essential/unlink \
    --setup-hook='mkdir -p "$1"/var/cache/apt/archives/' \
    --setup-hook="sync-in $cache /var/cache/apt/archives/" \
    --customize-hook="copy-in $deb /tmp" \
    --customize-hook="chroot \"\$1\" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends /tmp/$(basename "$deb")" \
    --customize-hook="sync-out /var/cache/apt/archives $cache" \
    --customize-hook="copy-in $list /tmp" \
    --customize-hook="chroot \"\$1\" rulevion-station setup --list /tmp/$(basename "$list") --password $quoted_password" \
    --customize-hook="rm -f \"\$1\"/tmp/$(basename "$list") \"\$1\"/tmp/$(basename "$deb")" \
    --customize-hook="echo station > \"\$1/etc/hostname\"" \
    --customize-hook="echo 'UUID=$root_uuid / ext4 errors=remount-ro 0 1' > \"\$1/etc/fstab\"" \
    --customize-hook="chroot \"\$1\" chpasswd -e < $work/root-password" \
    "${hooks[@]/#/--customize-hook=}" \
    --customize-hook="chroot \"\$1\" apt-get clean" \
    bookworm "$work/root" "$mirror"
}
# What setup and its check say is shown; the rest of mmdebstrap's output stays in its log.
bootstrap 2>&1 | tee "$work/mmdebstrap.log" |
  grep -E '^(rulevion|changed|as it was|passed|PROBLEM|FAILED|  - |The check|Left to do|Students|No student|E:)' ||
  true
if [ ! -x "$work/root/usr/bin/rulevion-station" ]; then
  if grep -qE 'Failed to fetch|Could not resolve|Temporary failure' "$work/mmdebstrap.log"; then
    echo "station-image: downloading from $mirror failed; trying once more" >&2
    rm -rf "$work/root"
    bootstrap >"$work/mmdebstrap.log" 2>&1 || true
  fi
fi
if [ ! -x "$work/root/usr/bin/rulevion-station" ]; then
  tail -30 "$work/mmdebstrap.log" >&2
  echo "station-image: the root file system could not be made (above: the end of mmdebstrap's log)" >&2
  exit 1
fi

kernel=$(cd "$work/root/boot" && ls vmlinuz-* | sort -V | tail -1)
initrd=initrd.img-${kernel#vmlinuz-}
[ -f "$work/root/boot/$initrd" ] || { echo "station-image: no initrd for $kernel" >&2; exit 1; }

# GRUB: the menu hidden, the station's entry for anyone, the console for the technician only.
mkdir -p "$work/root/boot/grub"
cp -r /usr/lib/grub/i386-pc /usr/lib/grub/x86_64-efi "$work/root/boot/grub/"
rm -f "$work/root/boot/grub"/*/*.img "$work/root/boot/grub"/*/*.efi
cat >"$work/root/boot/grub/grub.cfg" <<EOF
set superusers="technician"
password_pbkdf2 technician $pbkdf2
set default=0
set timeout=1
set timeout_style=hidden
insmod all_video
menuentry "Station" --unrestricted {
    linux /boot/$kernel root=UUID=$root_uuid ro quiet
    initrd /boot/$initrd
}
menuentry "Technician console" {
    linux /boot/$kernel root=UUID=$root_uuid ro systemd.unit=rescue.target
    initrd /boot/$initrd
}
EOF
chmod 600 "$work/root/boot/grub/grub.cfg"
cat >"$work/early.cfg" <<EOF
search --no-floppy --fs-uuid --set=root $root_uuid
set prefix=(\$root)/boot/grub
normal
EOF
modules="part_gpt ext2 search search_fs_uuid normal linux configfile echo test password_pbkdf2 gzio"
grub-mkimage -O i386-pc -o "$work/core.img" -c "$work/early.cfg" -p /boot/grub biosdisk $modules
grub-mkimage -O x86_64-efi -o "$work/BOOTX64.EFI" -c "$work/early.cfg" -p /boot/grub $modules fat

# The partitions, in 512-byte sectors: BIOS boot at 1 MiB, the ESP after it, then the root.
used=$(du -s --block-size=1M "$work/root" | cut -f1)
root_mb=$((used + used / 4 + 256))
mkfs.ext4 -q -F -L station-root -U "$root_uuid" -d "$work/root" "$work/root.img" "${root_mb}M"
mkfs.fat -F 32 -n STATION-ESP -C "$work/esp.img" $((64 * 1024)) >/dev/null
mmd -i "$work/esp.img" ::/EFI ::/EFI/BOOT
mcopy -i "$work/esp.img" "$work/BOOTX64.EFI" ::/EFI/BOOT/BOOTX64.EFI

bios_start=2048 esp_start=4096 root_start=$((4096 + 64 * 2048))
root_sectors=$((root_mb * 2048))
total=$((root_start + root_sectors + 2048))
rm -f "$out"
truncate -s $((total * 512)) "$out"
sgdisk -Z "$out" >/dev/null 2>&1 || true
sgdisk -n 1:$bios_start:$((esp_start - 1)) -t 1:EF02 -c 1:bios \
  -n 2:$esp_start:$((root_start - 1)) -t 2:EF00 -c 2:esp \
  -n 3:$root_start:$((root_start + root_sectors - 1)) -t 3:8304 -c 3:root "$out" >/dev/null
dd if="$work/esp.img" of="$out" bs=512 seek=$esp_start conv=notrunc,sparse status=none
dd if="$work/root.img" of="$out" bs=512 seek=$root_start conv=notrunc,sparse status=none

# BIOS: the MBR's code jumps to core.img in the BIOS boot partition, whose first sector then
# reads the rest of it. Only the code part of the MBR is written; the partition table stays.
core_sectors=$((($(stat -c %s "$work/core.img") + 511) / 512))
[ $core_sectors -le 2048 ] || { echo "station-image: core.img is too large" >&2; exit 1; }
dd if=/usr/lib/grub/i386-pc/boot.img of="$out" bs=440 count=1 conv=notrunc status=none
le() { # value bytes: little-endian bytes as printf escapes
  local v=$1 n=$2 s=
  for ((i = 0; i < n; i++)); do s+=$(printf '\\x%02x' $((v & 255))); v=$((v >> 8)); done
  printf %s "$s"
}
printf "$(le $bios_start 8)" | dd of="$out" bs=1 seek=$((0x5c)) conv=notrunc status=none
dd if="$work/core.img" of="$out" bs=512 seek=$bios_start conv=notrunc status=none
first=$((bios_start * 512))
printf "$(le $((bios_start + 1)) 8)$(le $((core_sectors - 1)) 2)" |
  dd of="$out" bs=1 seek=$((first + 0x1f4)) conv=notrunc status=none

echo "station-image: $out, $(du -h --apparent-size "$out" | cut -f1) ($(du -h "$out" | cut -f1) on disk)," \
  "built in $(($(date +%s) - start)) s"
echo "  Debian 12 ($mirror), kernel ${kernel#vmlinuz-}, $(chroot "$work/root" dpkg-query -W | wc -l) packages," \
  "rulevion-menu $(chroot "$work/root" dpkg-query -W -f='${Version}' rulevion-menu)"
echo "  partitions: BIOS boot (GRUB core), EFI system (EFI/BOOT/BOOTX64.EFI), root ext4 ${root_mb} MiB ($used MiB used)"
echo "  the station: user station, folder /srv/station, $(chroot "$work/root" sh -c 'ls /mnt/c/dat_ulmo/as_dbase/trener/01/') on drive C:, autologin by nodm"
echo "  the technician's console: Esc at boot, \"Technician console\" (GRUB user technician), then root's password"
