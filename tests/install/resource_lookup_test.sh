#!/usr/bin/env bash
# The program finds its resource beside itself (build tree) and, installed under any
# prefix, in ../share/zek-config; without it, start-up fails naming both places.
# Usage: resource_lookup_test.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
scripts=$(cd "$(dirname "$0")/../../scripts" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir "$tmp/work"

"$scripts/first-window.sh" "$tmp/work" "$build/zek-config"

DESTDIR="$tmp/stage" cmake --install "$build" --prefix /opt/zek >/dev/null
bin="$tmp/stage/opt/zek/bin"
share="$tmp/stage/opt/zek/share/zek-config"
[ ! -e "$bin/zek-config.uir" ] || { echo "FAIL: resource installed beside the program"; exit 1; }
"$scripts/first-window.sh" "$tmp/work" "$bin/zek-config"

rm "$share/zek-config.uir"
status=0
(cd "$tmp/work" && QT_QPA_PLATFORM=offscreen "$bin/zek-config") 2>"$tmp/err" || status=$?
cat "$tmp/err"
[ "$status" -eq 255 ] || { echo "FAIL: status $status, not 255, without a resource"; exit 1; }
grep -qF "\"$bin\" and \"$share\"" "$tmp/err" || { echo "FAIL: places looked at not named"; exit 1; }
echo "PASS"
