#!/bin/sh
# Turns the station's root file system ($1) into the test image's: the exercises and the trainer's
# commands only note that they ran, where the test reads it through the guest agent.
set -eu
root=$1
cat >"$root/usr/local/bin/station-test-command" <<'SCRIPT'
#!/bin/sh
echo "$1" >>/var/tmp/station-test-commands
SCRIPT
chmod 755 "$root/usr/local/bin/station-test-command"
sed -i -e 's|^exercises=.*|exercises=/usr/local/bin/station-test-command exercises|' \
  -e 's|^trainer=.*|trainer=/usr/local/bin/station-test-command trainer|' \
  "$root/etc/rulevion/station.conf"
grep -q '^exercises=/usr/local/bin/station-test-command' "$root/etc/rulevion/station.conf"
grep -q '^trainer=/usr/local/bin/station-test-command' "$root/etc/rulevion/station.conf"
