#!/usr/bin/env bash
# Builds the Debian package (scripts/package.sh), checks it with lintian,
# desktop-file-validate and appstreamcli, installs it with dpkg, starts the installed
# zek-config the way the desktop menu does until its first window, runs the installed
# zek-cli --help when the package holds zek-cli, then purges the package and checks that
# none of its files is left. Needs root, or sudo; the package must not be installed yet.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts=$PWD/scripts

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
if dpkg-query -W -f='${Status}' zek-config 2>/dev/null | grep -q "installed"; then
  echo "package-check.sh: zek-config is installed on this machine; remove it first" >&2
  exit 1
fi
fail() { echo "package-check.sh: FAIL: $*" >&2; exit 1; }

deb=$(scripts/package.sh | tail -n 1)
echo "== $deb"
lintian --fail-on error "$deb" 2> >(grep -v "root privileges" >&2)

tmp=$(mktemp -d)
cleanup() {
  $sudo dpkg --purge zek-config >/dev/null 2>&1 || true
  rm -rf "$tmp"
}
trap cleanup EXIT

echo "== installing"
$sudo dpkg -i "$deb" >/dev/null
dpkg -L zek-config >"$tmp/files"
desktop=$(grep '/applications/zek-config\.desktop$' "$tmp/files") || fail "no desktop entry"
metainfo=$(grep '/metainfo/.*\.metainfo\.xml$' "$tmp/files") || fail "no AppStream metadata"
desktop-file-validate "$desktop"
appstreamcli validate --no-net "$metainfo"

echo "== starting zek-config as the desktop menu does"
# Exec of the installed desktop entry, in an empty working directory and data home: the
# program's files must land in the data home, none in the working directory.
read -r -a command <<<"$(sed -n 's/^Exec=//p' "$desktop")"
mkdir "$tmp/work" "$tmp/data"
XDG_DATA_HOME="$tmp/data" "$scripts/first-window.sh" "$tmp/work" "${command[@]}"
[ -f "$tmp/data/zek-config/config.ctc" ] || fail "no config.ctc in the data home"
[ -z "$(ls -A "$tmp/work")" ] || fail "files in the working directory: $(ls -A "$tmp/work")"

if grep -q '^/usr/bin/zek-cli$' "$tmp/files"; then
  echo "== zek-cli --help"
  /usr/bin/zek-cli --help >/dev/null
else
  echo "== the package holds no zek-cli; its check is skipped"
fi

echo "== purging"
$sudo dpkg --purge zek-config >/dev/null
left=()
while read -r path; do
  [ "$path" != /. ] || continue
  # Directories shared with other packages (/usr/share/man ...) stay; the package's
  # own files and folders must be gone.
  if [ -e "$path" ] && { [ ! -d "$path" ] || [ -z "$(dpkg -S "$path" 2>/dev/null)" ]; }; then
    left+=("$path")
  fi
done <"$tmp/files"
[ ${#left[@]} -eq 0 ] || fail "left after purging: ${left[*]}"
! dpkg-query -W zek-config >/dev/null 2>&1 || fail "dpkg still knows zek-config"
echo "== package check passed"
