# Sourced by wine-prefix.sh (the tests', tray and screenshot prefixes) and run.sh (its own prefix): the one
# font mapping of every Wine prefix of the tree.

# The interface faces of Windows, mapped to fonts this machine has (DejaVu, FreeFont, WenQuanYi: setup.sh
# installs them), so that Arabic, Devanagari, Bengali, Thai and CJK texts draw real glyphs (Wine does no font
# fallback of its own). GDI+ under Wine accepts only
# fonts whose full name equals their family name, which these do (the Noto "... UI" fonts fail).
pm_font_substitutes='REGEDIT4

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes]
"Segoe UI"="DejaVu Sans"
"Nirmala UI"="FreeSans"
"Leelawadee UI"="FreeSerif"
"Microsoft YaHei UI"="WenQuanYi Micro Hei"
"Yu Gothic UI"="WenQuanYi Micro Hei"
"Malgun Gothic"="WenQuanYi Micro Hei"
'
# Wine's own Tahoma and Marlett (dialogs, caption buttons), which this build of Wine finds only in the
# prefix's Fonts folder.
pm_wine_fonts='tahoma.ttf tahomabd.ttf marlett.ttf'

# map_fonts WINE...: applies the mapping to the prefix WINEPREFIX names, running reg with the command WINE
# (wine itself, or a wrapper that sets the prefix). The prefix's .pelmirt-fonts holds the version applied,
# a checksum of the mapping: a prefix made before the mapping (or before a change to it) gets it on its next
# use. The server keeps the keys and writes them to the prefix when it ends.
map_fonts() {
  local version current fonts="$WINEPREFIX/drive_c/windows/Fonts" f
  version=$(printf '%s\n%s\n' "$pm_font_substitutes" "$pm_wine_fonts" | cksum | cut -d' ' -f1)
  current=$(cat "$WINEPREFIX/.pelmirt-fonts" 2>/dev/null || true)
  [ "$current" = "$version" ] && return 0
  mkdir -p "$fonts"
  for f in $pm_wine_fonts; do
    [ -f "/usr/share/wine/fonts/$f" ] && cp -f "/usr/share/wine/fonts/$f" "$fonts/"
  done
  printf '%s' "$pm_font_substitutes" > "$WINEPREFIX/drive_c/pelmirt-fonts.reg"
  "$@" reg import 'C:\pelmirt-fonts.reg' >/dev/null 2>&1
  rm -f "$WINEPREFIX/drive_c/pelmirt-fonts.reg"
  echo "$version" > "$WINEPREFIX/.pelmirt-fonts"
}
