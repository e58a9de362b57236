#!/usr/bin/env bash
# Builds the Windows setup build-windows/zek-config-setup-<version>.exe and prints its
# path: cross-builds the programs (scripts/build-windows.sh), stages what the install
# rules install (build-windows/stage) and packs exactly that with makensis
# (packaging/windows/zek-config.nsi).
set -euo pipefail
cd "$(dirname "$0")/.."
build=build-windows
scripts/build-windows.sh >/dev/null

stage="$PWD/$build/stage"
rm -rf "$stage"
cmake --install "$build" --prefix "$stage" --strip >/dev/null
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ -n "$version" ] || { echo "package-windows.sh: no project version in $build" >&2; exit 1; }

# The staged files as two macros: the setup installs them, its uninstaller removes them
# (folders deepest first, each only once it is empty).
files="$PWD/$build/packaging/windows/files.nsh"
{
  echo "; The staged files (made by scripts/package-windows.sh)."
  echo "!macro ZekInstallFiles"
  (cd "$stage" && find . -mindepth 1 -type d | sort) | while read -r dir; do
    echo "  CreateDirectory \"\$INSTDIR\\$(tr / '\\' <<<"${dir#./}")\""
  done
  (cd "$stage" && find . -type f | sort) | while read -r file; do
    rel=${file#./} dir=$(dirname "${file#./}")
    out='$INSTDIR'
    [ "$dir" = . ] || out+="\\$(tr / '\\' <<<"$dir")"
    echo "  SetOutPath \"$out\""
    echo "  File \"$stage/$rel\""
  done
  echo "!macroend"
  echo "!macro ZekRemoveFiles"
  (cd "$stage" && find . -type f | sort) | while read -r file; do
    echo "  Delete \"\$INSTDIR\\$(tr / '\\' <<<"${file#./}")\""
  done
  (cd "$stage" && find . -mindepth 1 -type d | sort -r) | while read -r dir; do
    echo "  RMDir \"\$INSTDIR\\$(tr / '\\' <<<"${dir#./}")\""
  done
  echo "!macroend"
} >"$files"

setup="$PWD/$build/zek-config-setup-$version.exe"
rm -f "$setup"
makensis -V2 -NOCD \
  "-DZEK_SETTINGS=$PWD/$build/packaging/windows/setup.nsh" "-DZEK_FILES=$files" \
  "-DZEK_LICENSE=$stage/LICENSE.txt" "-DZEK_OUTFILE=$setup" \
  packaging/windows/zek-config.nsi >&2
[ -f "$setup" ] || { echo "package-windows.sh: $setup was not made" >&2; exit 1; }
echo "$setup"
