#!/usr/bin/env bash
# drive_types_test.sh BUILD_DIR TEST_EXE
# Runs the drive-type test in a Wine prefix of its own (created on first use), so that the drives it adds
# and the wineserver restart they need never disturb the tests running in the shared prefix. Wine reads
# drive types from HKLM\Software\Wine\Drives and the dosdevices links only when its server starts.
set -euo pipefail
build=$(cd "$1" && pwd)
exe=$2
# The runner's environment (private HOME and XDG folders, WINEDEBUG...), with a prefix of our own.
eval "$(grep '^export ' "$build/wine-run")"
unset TZ
wine=$(sed -n 's/^ *exec \(.*\) "\$@"$/\1/p' "$build/wine-run")
server=/usr/lib/wine/wineserver
export WINEPREFIX="$build/wine/drive-types-prefix"

if [ ! -f "$WINEPREFIX/.pelmirt-ready" ]; then
  rm -rf "$WINEPREFIX"
  "$wine" wineboot -i >/dev/null 2>&1 </dev/null || true
  "$server" -w
  touch "$WINEPREFIX/.pelmirt-ready"
fi

media="$build/wine/drive-media"
mkdir -p "$media/optical" "$media/card" "$media/share" "$media/ram"
rm -rf "$media/no-card"
dos="$WINEPREFIX/dosdevices"
ln -sfn "$media/optical" "$dos/d:"
ln -sfn "$media/card" "$dos/e:"
ln -sfn "$media/no-card" "$dos/f:"   # dangling: a removable drive without media
ln -sfn "$media/share" "$dos/n:"
ln -sfn "$media/ram" "$dos/r:"
reg="$media/drives.reg"
printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Wine\\Drives]\r\n"d:"="cdrom"\r\n"e:"="floppy"\r\n"f:"="floppy"\r\n"n:"="network"\r\n"r:"="ramdisk"\r\n' > "$reg"
"$wine" regedit /S "Z:${reg//\//\\}" </dev/null >/dev/null 2>&1
# A fresh server reads the drives again.
"$server" -k 2>/dev/null || true
"$server" -w
trap '"$server" -k 2>/dev/null || true' EXIT
PM_DRIVE_TYPES_PREFIX=1 "$wine" "$exe" </dev/null
