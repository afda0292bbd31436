#!/usr/bin/env bash
# wine-prefix.sh BUILD_DIR start|stop
# start: creates the private prefix on first use and starts a persistent wineserver for it.
# stop:  stops that wineserver.
set -euo pipefail
build=$(cd "$1" && pwd)
run="$build/wine-run"
[ -x "$run" ] || { echo "wine-prefix: $run missing (configure first)" >&2; exit 1; }
# Take the wrapper's environment (prefix, private HOME and XDG folders) for wineboot and wineserver too.
eval "$(grep '^export ' "$run")"
unset TZ
server=/usr/lib/wine/wineserver

case "$2" in
  start)
    mkdir -p "$XDG_DATA_HOME/Trash/files" "$XDG_DATA_HOME/Trash/info" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME"
    if [ ! -f "$WINEPREFIX/.pelmirt-ready" ]; then
      echo "wine-prefix: creating $WINEPREFIX"
      rm -rf "$WINEPREFIX"
      /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1 </dev/null || true
      "$server" -w
      # Windows without an X display: the null graphics driver.
      "$run" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
      "$server" -w
      # Tests that write under system folders check for this marker first.
      : > "$WINEPREFIX/drive_c/pelmirt-test-prefix"
      mkdir -p "$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local/Temp"
      touch "$WINEPREFIX/.pelmirt-ready"
    fi
    # The interface faces of Windows, mapped to fonts this machine has, so that Arabic, Devanagari,
    # Bengali, Thai and CJK texts draw real glyphs (Wine does no font fallback of its own). GDI+ under
    # Wine accepts only fonts whose full name equals their family name, which these do. Wine's own
    # Tahoma and Marlett are not found unless they sit in the prefix's Fonts folder.
    if [ ! -f "$WINEPREFIX/.pelmirt-fonts" ]; then
      fonts="$WINEPREFIX/drive_c/windows/Fonts"
      mkdir -p "$fonts"
      for f in tahoma.ttf tahomabd.ttf marlett.ttf; do
        [ -f "/usr/share/wine/fonts/$f" ] && cp -f "/usr/share/wine/fonts/$f" "$fonts/"
      done
      cat > "$WINEPREFIX/drive_c/pelmirt-fonts.reg" <<'REG'
REGEDIT4

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes]
"Segoe UI"="DejaVu Sans"
"Nirmala UI"="FreeSans"
"Leelawadee UI"="FreeSerif"
"Microsoft YaHei UI"="WenQuanYi Micro Hei"
"Yu Gothic UI"="WenQuanYi Micro Hei"
"Malgun Gothic"="WenQuanYi Micro Hei"
REG
      "$run" reg import 'C:\pelmirt-fonts.reg' >/dev/null 2>&1
      rm -f "$WINEPREFIX/drive_c/pelmirt-fonts.reg"
      "$server" -w
      touch "$WINEPREFIX/.pelmirt-fonts"
    fi
    # Link fixtures, laid out (again) on every start: a Windows program under Wine 8 cannot make links
    # (CreateSymbolicLinkW reports success and creates nothing; FSCTL_SET_REPARSE_POINT answers 50), but
    # Wine shows a Unix symlink to a folder as a reparse point. Tests only read these; C:\pelmirt-fixtures.
    links="$WINEPREFIX/drive_c/pelmirt-fixtures/links"
    mkdir -p "$links/outside" "$links/scanned/inner" "$links/moved/inner"
    [ -f "$links/outside/file.bin" ] || printf 'outside' > "$links/outside/file.bin"
    [ -f "$links/moved/inner/moved.bin" ] || printf 'moved' > "$links/moved/inner/moved.bin"
    [ -f "$links/scanned/plain.bin" ] || printf 'plain' > "$links/scanned/plain.bin"
    [ -f "$links/scanned/inner/deep.bin" ] || printf 'deep' > "$links/scanned/inner/deep.bin"
    for pair in "scanned/dir-link:../outside" "scanned/inner-link:inner" "scanned/file-link:../outside/file.bin" \
                "alias:scanned" "moved/was-here:inner/moved.bin"; do
      link="$links/${pair%%:*}"
      [ -L "$link" ] || rm -rf "$link"
      ln -sfn "${pair#*:}" "$link"
    done
    # Drive fixtures: R: a removable drive, N: a network drive, each a folder of the build tree. Wine takes a
    # drive's type from HKLM\Software\Wine\Drives when its server starts, so the types are written once and
    # any server already running is stopped first; tests never change drives while others run.
    drives="$build/wine/drives"
    mkdir -p "$drives/removable" "$drives/network"
    ln -sfn "$drives/removable" "$WINEPREFIX/dosdevices/r:"
    ln -sfn "$drives/network" "$WINEPREFIX/dosdevices/n:"
    if [ ! -f "$WINEPREFIX/.pelmirt-drives" ]; then
      "$server" -k 2>/dev/null || true
      "$run" reg add 'HKLM\Software\Wine\Drives' /v r: /d floppy /f >/dev/null 2>&1
      "$run" reg add 'HKLM\Software\Wine\Drives' /v n: /d network /f >/dev/null 2>&1
      "$server" -w
      touch "$WINEPREFIX/.pelmirt-drives"
    fi
    # Detached, and with no hold on our stdout, or the caller would wait for it forever.
    # (wineserver forks itself into the background once its socket is ready.)
    # A server already running for this prefix (an earlier run left it) serves just as well.
    setsid "$server" -p </dev/null >/dev/null 2>&1 || true
    # The first Wine process starts the prefix's own services (services.exe, explorer.exe...), which
    # inherit its output: start them here, detached, so a test's output pipe closes when the test ends.
    "$run" cmd /c exit 0 </dev/null >/dev/null 2>&1 || true
    ;;
  stop)
    "$server" -k 2>/dev/null || true
    ;;
  *) echo "usage: wine-prefix.sh BUILD_DIR start|stop" >&2; exit 2 ;;
esac
