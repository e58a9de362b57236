#!/usr/bin/env bash
# The Windows setup's round trip under Wine, in a fresh prefix with a screen of its own:
# silent install; the files, the Start-menu shortcut and the uninstall entry; a second
# install over a changed older copy, which must replace the programs and keep the
# operator's data; the installed window started from its shortcut until it shows, then
# closed; silent uninstall, after which only the data folder may be left.
# Usage: test-windows-setup.sh [ZEK-WINSPY.EXE]  (default: built in build-win/tests)
set -euo pipefail
cd "$(dirname "$0")/.."

winspy=${1:-}
if [ -z "$winspy" ]; then
  cmake --build build-win --target zek-winspy >&2
  winspy="$PWD/build-win/tests/zek-winspy.exe"
fi
echo "== the setup"
setup=$(scripts/package-windows.sh)
stage="$PWD/build-windows/stage"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build-windows/CMakeCache.txt)

source scripts/wine-desktop.sh
work=$(mktemp -d)
cleanup() {
  wine_desktop_stop
  rm -rf "$work"
}
trap cleanup EXIT
wine_desktop_start "$work"
echo "== Wine prefix in $WINEPREFIX"

fail() { echo "test-windows-setup.sh: $*" >&2; exit 1; }
# Polls, at most $1 seconds, until the command after it succeeds.
within() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do [ "$SECONDS" -lt "$deadline" ] || return 1; sleep 0.1; done
}
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\zek-config'
installed="$WINEPREFIX/drive_c/Program Files/zek-config"
shortcut="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/zek-config.lnk"
data=$("$wine" winepath -u "$("$wine" cmd /c echo %APPDATA% | tr -d '\r')")/zek-config

# Every staged file is installed as staged, with the uninstaller beside them.
check_files() {
  (cd "$stage" && find . -type f) | while read -r file; do
    cmp -s "$stage/$file" "$installed/$file" || fail "${file#./} is not installed as staged"
  done
  [ -f "$installed/uninstall.exe" ] || fail "no uninstall.exe"
}
entry_value() {
  "$wine" reg query "$key" /v "$1" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$1 *REG_[A-Z]* *//p"
}

# drive C's folders and files outside Windows' own folder and the temporary folders,
# before the install and after the uninstall.
files_of_c() {
  (cd "$WINEPREFIX/drive_c" &&
    find . \( -path ./windows -o -iname temp \) -prune -o -print | sort) >"$1"
}
files_of_c "$work/before"

echo "== silent install"
# The programs and the setup carry the project's version and the icon.
for exe in "$setup" "$stage/zek-config.exe" "$stage/zek-cli.exe"; do
  resources=$(wrestool -l "$exe")
  grep -q 'type=group_icon' <<<"$resources" || fail "${exe##*/} has no icon"
  # read whole: grep -q would cut the pipe short
  version_strings=$(wrestool -x --raw -t 16 "$exe" | strings -el)
  grep -qx "$version" <<<"$version_strings" || fail "${exe##*/} does not carry version $version"
done
"$wine" "$setup" /S || fail "the setup failed"
check_files
# The shortcut starts the installed window in the operator's data folder.
link_text=$(strings -el "$shortcut" 2>/dev/null) || fail "no Start-menu shortcut"
grep -qF 'C:\Program Files\zek-config\zek-config.exe' <<<"$link_text" ||
  fail "the shortcut does not start the installed zek-config.exe"
grep -qFx -- '--data-home' <<<"$link_text" || fail "the shortcut does not pass --data-home"
[ "$(entry_value DisplayName)" = zek-config ] || fail "uninstall entry: DisplayName"
[ "$(entry_value DisplayVersion)" = "$version" ] || fail "uninstall entry: DisplayVersion"
[ -n "$(entry_value Publisher)" ] || fail "uninstall entry: Publisher"
[ "$(entry_value UninstallString)" = '"C:\Program Files\zek-config\uninstall.exe"' ] ||
  fail "uninstall entry: UninstallString"
[ "$(entry_value QuietUninstallString)" = '"C:\Program Files\zek-config\uninstall.exe" /S' ] ||
  fail "uninstall entry: QuietUninstallString"
[ "$(entry_value DisplayIcon)" = 'C:\Program Files\zek-config\zek-config.exe,0' ] ||
  fail "uninstall entry: DisplayIcon"
for flag in NoModify NoRepair; do
  [ "$(entry_value $flag)" = 0x1 ] || fail "uninstall entry: $flag"
done
size_kb=$(( $(entry_value EstimatedSize) ))
[ "$size_kb" -ge "$(du -sk "$stage" | cut -f1)" ] || fail "uninstall entry: EstimatedSize $size_kb"

echo "== install over an older copy, with the operator's data"
mkdir -p "$data"
printf 'the operator\xe2\x80\x99s own document\r\n' >"$data/rig.cfg"
cp "$data/rig.cfg" "$work/rig.cfg"
printf 'older' >"$installed/zek-cli.exe"
"$wine" reg add "$key" /v DisplayVersion /d 0.9.0 /f >/dev/null
"$wine" "$setup" /S || fail "the setup over an older copy failed"
check_files
[ "$(entry_value DisplayVersion)" = "$version" ] || fail "the older version is still listed"
cmp -s "$work/rig.cfg" "$data/rig.cfg" || fail "the install changed the operator's data"

echo "== the installed window from its shortcut"
[ -z "$("$wine" "$winspy" list)" ] || fail "a window is open before the program starts"
# Wine's start returns before the program ends; the program is found as a Linux process
# of this prefix instead.
running() {
  local pid
  for pid in $(pgrep -f 'zek-config\\zek-config\.exe'); do
    { tr '\0' '\n' <"/proc/$pid/environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" &&
      return 0  # a process that ended meanwhile is not it
  done
  return 1
}
"$wine" start /unix "$shortcut"
"$wine" "$winspy" wait '*' 60 >/dev/null || fail "the installed program showed no window"
running || fail "the window is not the installed program's"
[ -f "$data/config.ctc" ] || fail "the program from the shortcut did not work in $data"
"$wine" taskkill /im zek-config.exe >/dev/null
within 30 eval '! running' || fail "the program did not end on close"
[ -s "$data/last.cfg" ] || fail "the program did not write its exit backup to $data"

echo "== silent uninstall"
# The uninstaller runs from a copy in the temporary folder, so this returns at once.
"$wine" 'C:\Program Files\zek-config\uninstall.exe' /S
# What it left is listed below when this waits in vain.
within 60 eval '[ ! -e "$installed" ] && [ ! -e "$shortcut" ]' || true
! "$wine" reg query "$key" >/dev/null 2>&1 || fail "the uninstall entry is still there"
cmp -s "$work/rig.cfg" "$data/rig.cfg" || fail "the uninstaller touched the operator's data"
[ -f "$data/config.ctc" ] || fail "the uninstaller removed the program's settings"
files_of_c "$work/after"
data_c=./${data#*/c:/}  # the data folder as drive C sees it
left=$(comm -13 "$work/before" "$work/after" | grep -vxF "$data_c" | grep -vF "$data_c/" || true)
[ -z "$left" ] || fail "left behind: $left"
echo "== Windows setup round trip passed"
