#!/usr/bin/env bash
# Writes the Windows window's pictures into docs/, taken under Wine: the main window
# (German, 8 channels; English, 16 channels), the port dialog and the calibration panel,
# each cropped to its window's rectangle. The device is zek-sim on COM5. Run by hand
# (not in CI), then look at the pictures before committing them. Needs ImageMagick:
# `xwd -root` shows windows newly shown in Wine's virtual desktop as black.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
jobs=$(nproc 2>/dev/null || echo 2)
[ -f build-win/build.ninja ] || cmake -S . -B build-win -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release
cmake --build build-win -j"$jobs" --target zek-winspy >/dev/null
[ -f build/build.ninja ] || cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build -j"$jobs" --target zek-sim >/dev/null
exe=$(scripts/build-windows.sh 2>/dev/null)

work=$(mktemp -d)
# shellcheck source=wine-desktop.sh
source scripts/wine-desktop.sh
sim_pid=""
cleanup() {
  if [ -n "$sim_pid" ]; then kill "$sim_pid" 2>/dev/null || true; wait "$sim_pid" 2>/dev/null || true; fi
  wine_desktop_stop
  rm -rf "$work"
}
trap cleanup EXIT
spy() { "$wine" "$root/build-win/tests/zek-winspy.exe" "$@" | tr -d '\r'; }

# TITLE FILE: the window titled TITLE, once it shows and has painted, into docs/FILE.
shoot() {
  local rect x y w h
  rect=$(spy wait "$1" 30) || { echo "no window \"$1\"" >&2; exit 1; }
  read -r x y w h <<<"$rect"
  sleep 1  # painting has no signal to wait for
  import -window root "$work/root.png"
  convert "$work/root.png" -crop "${w}x${h}+${x}+${y}" +repage "docs/$2"
  echo "docs/$2 (${w}x${h})"
}
# LANGUAGE CHANNELS: a working folder and the program started in it (0 German, 1 English).
start() {
  rm -rf "$work/run"; mkdir "$work/run"
  printf "\\$(printf '%03o' "$1")\\$(printf '%03o' $(($2 - 1)))\\$(printf '%03o' $(($2 - 1)))\\005" \
    > "$work/run/config.ctc"
  (cd "$work/run" && exec "$wine" "$exe") >/dev/null 2>&1 &
  win_pid=$!
}
stop() { xdotool key ctrl+q; wait "$win_pid" 2>/dev/null || true; }

wine_desktop_start "$work" 1024x768
spy list >/dev/null  # the desktop made by one program first, not by two racing at once
mkdir "$work/sim"
build/zek-sim --port 5 --dir "$work/sim" --channels 16 --no-pacing >/dev/null 2>&1 &
sim_pid=$!
for _ in $(seq 100); do [ -L "$work/sim/COM5" ] && break; sleep 0.05; done
ln -sfn "$(readlink "$work/sim/COM5")" "$WINEPREFIX/dosdevices/com5"
mkdir -p docs

start 0 8
shoot "last.cfg" windows-main-de-8.png
stop

start 1 16
shoot "last.cfg" windows-main-en-16.png
xdotool key alt+s s
shoot "QUARVO*" windows-port-dialog.png
xdotool key Escape
spy gone "QUARVO*" 10
xdotool key alt+s a
spy wait "Telemetry Calibration" 20 >/dev/null
xdotool type vqd
xdotool key Return
spy find "Telemetry Calibration" "Enable" 20 >/dev/null
read -r x y w h < <(spy controls "Telemetry Calibration" | awk -F'\t' '$4 == "OFF" { print $1 }')
xdotool mousemove $((x + w / 2)) $((y + h / 2)) click 1
for _ in $(seq 150); do  # the fields come alive when every channel is switched
  spy controls "Telemetry Calibration" | awk -F'\t' '$2 == "Edit"' | head -n1 | cut -f3 |
    grep -qx -- '-' && break
  sleep 0.2
done
shoot "Telemetry Calibration" windows-calibration-panel.png
