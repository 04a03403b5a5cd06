#!/usr/bin/env bash
# wine-prefix.sh BUILD_DIR: makes the throw-away Wine prefix of a build tree (once; later calls
# return at once). Safe to call from parallel test runs: the first one builds, the others wait.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/wine-vars.sh" "$1"

ready="$WINEPREFIX/.tv-ready"
[ -f "$ready" ] && exit 0

mkdir -p "$tv_build_dir"
exec 9>"$tv_build_dir/wineprefix.lock"
flock 9
[ -f "$ready" ] && exit 0

rm -rf "$WINEPREFIX"
unset DISPLAY
wineboot -i </dev/null >/dev/null 2>&1 || true
wineserver -w </dev/null >/dev/null 2>&1

# Fonts: the CJK font stands in for every dialog and message font a Chinese system names.
# X11 driver: unmanaged windows, so a hidden titled window costs no wait for a window manager.
# Debugger: a crash ends the program instead of opening a dialog that would hang a test.
reg="$WINEPREFIX/tv-settings.reg"
font="WenQuanYi Micro Hei"
{
  printf 'Windows Registry Editor Version 5.00\r\n\r\n'
  printf '[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
  for name in "MS Shell Dlg" "MS Shell Dlg 2" "Tahoma" "Segoe UI" "SimSun" "NSimSun" "宋体" "新宋体" \
              "Microsoft YaHei" "Microsoft YaHei UI" "微软雅黑" "SimHei" "黑体" "MS Sans Serif" "Arial"; do
    printf '"%s"="%s"\r\n' "$name" "$font"
  done
  printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n"Managed"="N"\r\n'
  printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]\r\n"ShowCrashDialog"=dword:00000000\r\n'
} | iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } > "$reg"
wine regedit /S "$(winepath -w "$reg" 2>/dev/null)" </dev/null >/dev/null 2>&1
wineserver -w </dev/null >/dev/null 2>&1

# A test that reads the registry back proves the settings took.
if ! grep -q '"Managed"="N"' "$WINEPREFIX/user.reg"; then
  echo "wine-prefix: the prefix settings were not applied" >&2
  exit 1
fi
touch "$ready"
