# Sourced by wine-prefix.sh (the tests', tray and screenshot prefixes), run.sh (its own prefix) and the CI
# check of run.sh's prefix: the one font mapping of every Wine prefix of the tree.
#
# Windows draws every script in every interface face by font linking, and Uniscribe shapes it. Under Wine 8
# the faces are mapped to fonts this machine has (setup.sh installs them), with these measured limits:
#   - A glyph that the selected font lacks comes from a linked font (FontLink\SystemLink, keyed by the full
#     name of the face Wine picked, "DejaVu Sans Bold" for a bold request), but unshaped: a script Uniscribe
#     shapes (Arabic, Devanagari, Bengali) is shaped only by the selected font itself, and Thai drawn through a
#     link is a box. So each language's face maps to a font that carries its script at every weight it has, and
#     links fill in the rest.
#   - GDI+ (which the program asks whether a face exists) finds a substituted face only when the target's
#     family name is not translated in the system's locale: "WenQuanYi Micro Hei" is "文泉驿微米黑" under
#     zh_CN, and "Microsoft YaHei UI" mapped to it was not found there. DejaVu Sans and FreeSerif have one
#     name in every locale; the CJK faces map to DejaVu Sans and take their glyphs through a link.
#   - A link entry names a file (its family name may be translated); a key is a full name, and a bold face's
#     full name can be translated ("FreeSerif Bold" is "FreeSerif धृष्ट" under hi_IN), so every name of the
#     key's font gets the entry.
#   - The menu, message and caption fonts come from the prefix's WindowMetrics (Wine keeps them under every
#     locale); they are FreeSerif, the one font here with Latin, Cyrillic, Arabic, Devanagari, Bengali, Thai
#     and Vietnamese, all shaped, with CJK through a link: the tray menu and the boxes draw whatever the
#     language.
#   - Bengali exists here only in regular faces of FreeSerif and FreeSans (which Uniscribe does not shape) and
#     in Bengali fonts with no Latin: the bold of "Nirmala UI" (FreeSerif Bold) takes it from Mukti's bold
#     through a link, unshaped.
#   - Wine's own dialogs (the folder picker) draw in "MS Shell Dlg" and "MS Shell Dlg 2", which a process of
#     another system locale points again at Wine's choice for that locale: both at Tahoma under an English,
#     Thai, Hindi or Bengali locale, "MS Shell Dlg 2" at Tahoma under every locale measured (CJK and Arabic
#     too); and Wine's Tahoma lacks Thai, Devanagari, Bengali and CJK. So Tahoma is a replacement
#     (HKCU\Software\Wine\Fonts\Replacements, which no locale rewrites) for FreeSerif, as the system fonts
#     are; Wine honours it only while no font of its own is named Tahoma, so the prefix holds none.

pm_fonts=/usr/share/fonts/truetype

# The interface faces the program asks for, and the fonts they become.
pm_font_substitutes=(
  "Segoe UI=DejaVu Sans"
  "Nirmala UI=FreeSerif"
  "Leelawadee UI=FreeSerif"
  "Microsoft YaHei UI=DejaVu Sans"
  "Yu Gothic UI=DejaVu Sans"
  "Malgun Gothic=DejaVu Sans"
)
# Links: the font file whose faces' names are the keys, then the files linked to it, first ones first (a
# link names the file alone; its family takes the weight asked for, Mukti.ttf giving Muktibold.ttf's bold).
pm_font_links=(
  "dejavu/DejaVuSans.ttf=freefont/FreeSerif.ttf fonts-beng-extra/Mukti.ttf wqy/wqy-microhei.ttc"
  "dejavu/DejaVuSans-Bold.ttf=freefont/FreeSerif.ttf fonts-beng-extra/Mukti.ttf wqy/wqy-microhei.ttc"
  "freefont/FreeSerif.ttf=wqy/wqy-microhei.ttc"
  "freefont/FreeSerifBold.ttf=fonts-beng-extra/Mukti.ttf wqy/wqy-microhei.ttc"
)
# The system's menu, message, caption, status and icon fonts: face, height in pixels at 96 DPI (9 points).
pm_system_font_face="FreeSerif"
pm_system_font_height=12
# The faces Wine itself asks for, and the fonts they become (see above).
pm_font_replacements=(
  "Tahoma=FreeSerif"
)
# Wine's own Marlett (caption buttons), which this build of Wine finds only in the prefix's Fonts folder.
pm_wine_fonts='marlett.ttf'
# Wine's Tahoma, copied there by earlier versions of this mapping: it would hide the replacement.
pm_removed_wine_fonts='tahoma.ttf tahomabd.ttf'

# utf16_hex TEXT: TEXT as UTF-16LE bytes, "xx,xx,...", as .reg files write binary data.
utf16_hex() {
  printf '%s' "$1" | iconv -f UTF-8 -t UTF-16LE | od -An -v -tx1 | tr -s ' \n' ' ' | sed 's/^ //; s/ $//; s/ /,/g'
}

# le32_hex N: N as four little-endian bytes.
le32_hex() {
  printf '%08x' $(( $1 & 0xffffffff )) | sed 's/\(..\)\(..\)\(..\)\(..\)/\4,\3,\2,\1/'
}

# full_names FILE: the full names of the font file's faces, one a line, in every language the file gives.
full_names() {
  fc-scan --format '%{fullname}\n' "$pm_fonts/$1" | tr ',' '\n' | sed '/^$/d' | LC_ALL=C sort -u
}

# logfont_hex FACE HEIGHT WEIGHT: a LOGFONTW (92 bytes) of that face, default charset, as WindowMetrics keeps it.
logfont_hex() {
  local face hex i
  face=$(utf16_hex "$1")
  hex="$(le32_hex "-$2"),00,00,00,00,00,00,00,00,00,00,00,00,$(le32_hex "$3"),00,00,00,01,00,00,00,22,$face"
  for ((i = $(tr ',' '\n' <<<"$face" | wc -l); i < 64; i++)); do hex+=",00"; done
  printf '%s' "$hex"
}

# font_mapping_reg: the whole mapping as the text of a .reg file (UTF-8 here; imported as UTF-16).
font_mapping_reg() {
  local pair key file name names hex
  printf 'Windows Registry Editor Version 5.00\n\n'
  printf '[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes]\n'
  for pair in "${pm_font_substitutes[@]}"; do printf '"%s"="%s"\n' "${pair%%=*}" "${pair#*=}"; done
  printf '\n[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontLink\\SystemLink]\n'
  for pair in "${pm_font_links[@]}"; do
    hex=
    for file in "${pair%%=*}" ${pair#*=}; do
      [ -f "$pm_fonts/$file" ] || { echo "wine_fonts: $pm_fonts/$file is missing (setup.sh installs it)" >&2; return 1; }
    done
    for file in ${pair#*=}; do hex+="$(utf16_hex "${file##*/}"),00,00,"; done
    # Without fc-scan (fontconfig) there is no name: the mapping would lack every link and still be applied.
    names=$(full_names "${pair%%=*}")
    [ -n "$names" ] || { echo "wine_fonts: fc-scan names no face of $pm_fonts/${pair%%=*} (fontconfig: setup.sh installs it)" >&2; return 1; }
    while IFS= read -r name; do
      printf '"%s"=hex(7):%s00,00\n' "$name" "$hex"
    done <<<"$names"
  done
  printf '\n[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\n'
  for pair in "${pm_font_replacements[@]}"; do printf '"%s"="%s"\n' "${pair%%=*}" "${pair#*=}"; done
  printf '\n[HKEY_CURRENT_USER\\Control Panel\\Desktop\\WindowMetrics]\n'
  for key in CaptionFont SmCaptionFont MenuFont MessageFont StatusFont IconFont; do
    printf '"%s"=hex:%s\n' "$key" "$(logfont_hex "$pm_system_font_face" "$pm_system_font_height" 400)"
  done
}

# map_fonts WINE...: applies the mapping to the prefix WINEPREFIX names, running reg with the command WINE
# (wine itself, or a wrapper that sets the prefix). The prefix's .pelmirt-fonts holds the version applied,
# a checksum of the mapping: a prefix made before the mapping (or before a change to it) gets it on its next
# use. The server keeps the keys and writes them to the prefix when it ends.
map_fonts() {
  local version current fonts="$WINEPREFIX/drive_c/windows/Fonts" f reg
  # Fails when a font it names is missing (fc-scan answers for no file): setup.sh installs them.
  reg=$(font_mapping_reg) || return 1
  version=$(printf '%s\n%s\n' "$reg" "$pm_wine_fonts" | cksum | cut -d' ' -f1)
  current=$(cat "$WINEPREFIX/.pelmirt-fonts" 2>/dev/null || true)
  [ "$current" = "$version" ] && return 0
  mkdir -p "$fonts"
  for f in $pm_wine_fonts; do
    [ -f "/usr/share/wine/fonts/$f" ] && cp -f "/usr/share/wine/fonts/$f" "$fonts/"
  done
  for f in $pm_removed_wine_fonts; do rm -f "$fonts/$f"; done
  # UTF-16 with its byte order mark: the keys hold names in every script.
  { printf '\xff\xfe'; printf '%s\n' "$reg" | iconv -f UTF-8 -t UTF-16LE; } > "$WINEPREFIX/drive_c/pelmirt-fonts.reg"
  local status=0
  "$@" reg import 'C:\pelmirt-fonts.reg' >/dev/null 2>&1 || status=$?
  rm -f "$WINEPREFIX/drive_c/pelmirt-fonts.reg"
  if [ "$status" -ne 0 ]; then
    echo "wine_fonts: reg import of the font mapping failed in $WINEPREFIX (exit code $status)" >&2
    return 1
  fi
  echo "$version" > "$WINEPREFIX/.pelmirt-fonts"
}
