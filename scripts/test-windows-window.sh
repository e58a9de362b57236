#!/usr/bin/env bash
# The window tier under Wine: zek-config.exe (build-windows/) in a throw-away prefix with
# its own display and virtual desktop, driven by keys and clicks (xdotool) and watched from
# inside by zek-winspy; the device is zek-sim on a pseudo-terminal that the prefix maps to
# COM5 (and COM6, for the port dialog). Every step waits for what the program shows
# (zek-winspy wait/gone/find) or sends (the simulator's log, files), with a time-out.
# The download's reference frames come from the Linux window itself: build/zek-config on
# its own Xvfb (xcb), against a second zek-sim, driven by the same keys; it also writes
# the configuration sheet that the Windows window's and zek-cli's are compared with.
# Called by scripts/test-windows.sh after its own steps (it reuses build-win/ and build/);
# runs alone too. On a failure it prints what zek-winspy lists and the simulator's log.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
jobs=$(nproc 2>/dev/null || echo 2)

echo "== window tier: builds (zek-winspy, zek-config.exe, Linux zek-config, zek-cli, zek-sim)"
[ -f build-win/build.ninja ] || cmake -S . -B build-win -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release -DZEK_WERROR=ON
cmake --build build-win -j"$jobs" --target zek-winspy >/dev/null
[ -f build/build.ninja ] || cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DZEK_WERROR=ON
cmake --build build -j"$jobs" --target zek-sim zek-cli zek-config >/dev/null
exe=$(scripts/build-windows.sh 2>/dev/null)

start=$SECONDS
work=$(mktemp -d)
# shellcheck source=wine-desktop.sh
source scripts/wine-desktop.sh
pids=()
lin_xvfb=""
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; wait "$p" 2>/dev/null || true; done
  wine_desktop_stop
  if [ -n "$lin_xvfb" ]; then kill "$lin_xvfb" 2>/dev/null || true; wait "$lin_xvfb" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

spy() { "$wine" "$root/build-win/tests/zek-winspy.exe" "$@" | tr -d '\r'; }  # CR LF lines
main="last.cfg"   # the main window's title: the document's name
fail() {
  echo "FAILED: $*" >&2
  { echo "-- zek-winspy list"; spy list; echo "-- controls of \"$main\""; spy controls "$main"
    echo "-- zek-sim log (tail)"; tail -n 20 "$work/sim.log"; } >&2 || true
  if [ -n "${ZEK_WINDOW_KEEP:-}" ]; then  # left running for a look: DISPLAY, WINEPREFIX
    echo "kept: DISPLAY=$DISPLAY WINEPREFIX=$WINEPREFIX" >&2; sleep 900
  fi
  exit 1
}
# The simulator's log: mark where a step begins, then wait for a frame after the mark.
mark() { wc -l < "$work/sim.log"; }
frames_since() { tail -n +"$(($1 + 1))" "${2:-$work/sim.log}" | sed -n 's/^.* ms rx //p'; }
wait_frame() {  # MARK REGEX [SECONDS]
  local end=$((SECONDS + ${3:-30}))
  until frames_since "$1" | grep -qE "$2"; do
    [ $SECONDS -lt "$end" ] || fail "no frame /$2/ at the simulator"
    sleep 0.1
  done
}
wait_done() {  # MARK: the step's last frame so far is the closing D
  local end=$((SECONDS + 30))
  until [ "$(frames_since "$1" | tail -n1)" = "D<CR>" ]; do
    [ $SECONDS -lt "$end" ] || fail "no closing D at the simulator"; sleep 0.1
  done
}
wait_file() { local end=$((SECONDS + 20)); until [ -s "$1" ]; do [ $SECONDS -lt "$end" ] || fail "no $1"; sleep 0.1; done; }
# The n-th control (from 1) of window TITLE for which the awk condition holds:
# $1 rectangle, $2 class, $3 state, $4 text.
control() { spy controls "$1" | awk -F'\t' "$2" | sed -n "$3p"; }
click() {  # TITLE AWK-CONDITION N
  local r; r=$(control "$1" "$2" "$3" | cut -f1)
  [ -n "$r" ] || fail "no control $2 #$3 in \"$1\""
  read -r x y w h <<<"$r"
  xdotool mousemove $((x + w / 2)) $((y + h / 2)) click 1
}
states() { spy controls "$1" | awk -F'\t' "$2"' { printf "%s ", $3 }'; }
rings='$2 == "ComboBox"'
checks='$2 == "Button" && $3 ~ /^[01]/ && $4 == ""'   # state "0", "1", "0 dimmed"...
expect() { [ "$2" = "$3" ] || fail "$1: \"$2\", expected \"$3\""; }
key() { xdotool key "$@"; }
winpath() { local p=$1; printf 'Z:%s' "${p//\//\\}"; }  # the title of a document
retype() { key End $(printf 'BackSpace %.0s' $(seq 8)); xdotool type "$1"; }

# The given last.cfg (a configuration text): channel 1 half bridge, 2 and 3 the two
# thermocouples, 4 strain gauge 16 mV/V, the rest strain gauge 2 mV/V.
given_cfg() {
  printf '0%.0s' $(seq 32); printf 'b0c9ca'; printf '30%.0s' $(seq 13)
  printf '007d000200013c0f%.0s' 1 2 3; printf '007d000800083c0f'
  printf '007d000200013c0f%.0s' $(seq 12); printf '0%.0s' $(seq 480)
}
tc_cfg() {  # every channel a thermocouple
  printf '0%.0s' $(seq 32); printf 'c9%.0s' $(seq 16)
  printf '007d000200013c0f%.0s' $(seq 16); printf '0%.0s' $(seq 480)
}
start_sim() {  # PORT DIR LOG [ZEK-SIM OPTIONS]: a 16-channel device on COM<PORT>
  local port=$1 dir=$2 log=$3; shift 3
  mkdir -p "$dir"
  build/zek-sim --port "$port" --dir "$dir" --channels 16 --log "$log" "$@" >/dev/null 2>&1 &
  pids+=($!)
  for _ in $(seq 100); do [ -L "$dir/COM$port" ] && break; sleep 0.05; done
  [ -L "$dir/COM$port" ] || fail "zek-sim did not start"
}
map_com() {  # PORT DIR: the prefix's COM<PORT> is the simulator's in DIR
  ln -sfn "$(readlink "$2/COM$1")" "$WINEPREFIX/dosdevices/com$1"
}
launch() {  # zek-config.exe started in $run
  (cd "$run" && exec "$wine" "$exe") >/dev/null 2>&1 &
  win_pid=$!
}
working_folder() {  # DIR: English, 16 channels shown and in the device, port 5
  mkdir -p "$1"; given_cfg > "$1/last.cfg"; printf '\001\017\017\005' > "$1/config.ctc"
}

echo "== Wine prefix, display and virtual desktop"
wine_desktop_start "$work" 1024x768
spy list >/dev/null  # the desktop made by one program first, not by two racing at once
start_sim 5 "$work/sim" "$work/sim.log" --no-pacing
pty=$(readlink "$work/sim/COM5")
ln -sfn "$pty" "$WINEPREFIX/dosdevices/com5"
ln -sfn "$pty" "$WINEPREFIX/dosdevices/com6"  # the same device under a second number
run="$work/run"
working_folder "$run"
echo "   ready after $((SECONDS - start)) s"

scenario_start() {
  echo "== a. start with a given last.cfg"
  launch
  spy wait "$main" 60 >/dev/null || fail "no main window"
  expect "rings" "$(states "$main" "$rings")" "4 6 7 1 4 4 4 4 4 4 4 4 4 4 4 4 "
  expect "half-bridge boxes" "$(states "$main" "$checks")" \
    "1 0 dimmed 0 dimmed 0 0 0 0 0 0 0 0 0 0 0 0 0 "   # thermocouples: dimmed
  [ -z "$(frames_since 0)" ] || fail "frames sent at start"
}

linux_start() {  # the Linux window on its own display, against a second simulator
  local fd_file; fd_file=$(mktemp -p "$work")
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fd_file" >/dev/null 2>&1 &
  lin_xvfb=$!
  for _ in $(seq 100); do [ -s "$fd_file" ] && break; sleep 0.05; done
  lin_display=":$(head -n1 "$fd_file")"
  start_sim 5 "$work/lsim" "$work/lsim.log" --no-pacing
  working_folder "$work/lrun"
  ln -sfn "$(readlink "$work/lsim/COM5")" "$work/lrun/COM5"
  (cd "$work/lrun" && DISPLAY=$lin_display QT_QPA_PLATFORM=xcb exec "$root/build/zek-config") \
    >/dev/null 2>&1 &
  pids+=($!)
  lin_win=$(DISPLAY=$lin_display timeout 30 xdotool search --sync --name '^last\.cfg$' | head -n1) ||
    fail "no Linux window"
  DISPLAY=$lin_display xdotool windowfocus --sync "$lin_win"
}
lkey() { DISPLAY=$lin_display xdotool key "$@"; }

scenario_download() {
  echo "== b. 16-channel download, frames against the Linux window's"
  local m; m=$(mark)
  key alt+s d
  spy find "$main" "Download finished" 60 >/dev/null || fail "download did not finish"
  frames_since "$m" > "$work/download.win"
  linux_start
  lkey alt+s d
  local end=$((SECONDS + 60))
  until [ "$(frames_since 0 "$work/lsim.log" | wc -l)" -ge "$(wc -l < "$work/download.win")" ]; do
    [ $SECONDS -lt "$end" ] || break
    sleep 0.2
  done
  frames_since 0 "$work/lsim.log" > "$work/download.lin"
  diff "$work/download.lin" "$work/download.win" || fail "the download's frames differ from Linux"
  echo "   $(wc -l < "$work/download.win") frames, byte for byte those of the Linux window"
}

# The sheet's text with the date and time left out and the document named without its
# folder (a Windows path there, a Linux path here).
sheet_text() {
  pdftotext -layout "$1" - | grep -v '^Created: ' | sed -E 's#^(Document: ).*[/\\]#\1#'
}
scenario_sheet() {
  echo "== h. configuration sheet: Windows window, Linux window, zek-cli sheet"
  local m; m=$(mark)
  key alt+t p
  spy wait "Save Configuration Sheet" 20 >/dev/null || fail "no sheet dialog"
  spy find "Save Configuration Sheet" "last.pdf" 5 >/dev/null || fail "the sheet's name is not proposed"
  xdotool type sheet; key Return
  spy find "$main" "Configuration sheet written" 20 >/dev/null || fail "sheet not written"
  lkey alt+t p
  DISPLAY=$lin_display timeout 20 xdotool search --sync --name 'Configuration Sheet' >/dev/null ||
    fail "no Linux sheet dialog"
  DISPLAY=$lin_display xdotool type sheet; lkey Return
  wait_file "$work/lrun/sheet.pdf"
  mkdir -p "$work/cli"; given_cfg > "$work/cli/last.cfg"
  (cd "$work/cli" && "$root/build/zek-cli" --port 5 --channels 16 --lang en \
    sheet sheet.pdf --from last.cfg) >/dev/null
  for pdf in "$run/sheet.pdf" "$work/lrun/sheet.pdf" "$work/cli/sheet.pdf"; do
    qpdf --check "$pdf" >/dev/null || fail "qpdf --check $pdf"
  done
  diff <(sheet_text "$work/cli/sheet.pdf") <(sheet_text "$run/sheet.pdf") ||
    fail "the Windows window's sheet differs from zek-cli's"
  diff <(sheet_text "$work/lrun/sheet.pdf") <(sheet_text "$run/sheet.pdf") ||
    fail "the Windows window's sheet differs from the Linux window's"
  [ -z "$(frames_since "$m")" ] || fail "frames sent for the sheet"
  lkey ctrl+q
}

scenario_port_dialog() {
  echo "== d. port dialog: list, typed number, OK by Alt+O and by Return, Escape"
  key alt+s s
  spy wait "QUARVO*" 20 >/dev/null || fail "no port dialog"
  control "QUARVO*" '$2 == "ListBox"' 1 | grep -q 'COM1' || fail "no port list"
  expect "port field" "$(control "QUARVO*" '$2 == "Edit"' 1 | cut -f4)" "5"
  retype 9; key Escape
  spy gone "QUARVO*" 10 || fail "Escape left the port dialog open"
  spy find "$main" "COM5: " 5 >/dev/null || fail "Escape changed the port"
  key alt+s s; spy wait "QUARVO*" 20 >/dev/null || fail "no port dialog"
  retype 6; key alt+o
  spy gone "QUARVO*" 10 || fail "Alt+O left the port dialog open"
  spy find "$main" "COM6: " 10 >/dev/null || fail "COM6 not taken"
  local m; m=$(mark)
  click "$main" '$4 == "."' 4   # auto-zero of channel 4, now through COM6
  wait_frame "$m" '^03Z<CR>$'
  spy find "$main" "8N2, OK" 20 >/dev/null || fail "auto-zero through COM6 did not end"
  key alt+s s; spy wait "QUARVO*" 20 >/dev/null || fail "no port dialog"
  retype 5; key Return
  spy gone "QUARVO*" 10 || fail "Return left the port dialog open"
  spy find "$main" "COM5: " 10 >/dev/null || fail "COM5 not taken back"
}

scenario_range_and_zero() {
  echo "== c. auto-zero and a range change"
  local m; m=$(mark)
  click "$main" '$4 == "."' 1
  wait_frame "$m" '^00Z<CR>$'
  spy find "$main" "8N2, OK" 20 >/dev/null || fail "auto-zero did not end"
  m=$(mark)
  click "$main" "$rings" 5; sleep 0.3; key Down Return  # channel 5: 2 -> 1 mV/V
  wait_frame "$m" '^0045..W<CR>$'
  wait_done "$m"
  frames_since "$m" | grep -qE '^001430W<CR>$' || fail "no mode byte for channel 5"
  expect "ring 5" "$(control "$main" "$rings" 5 | cut -f3)" "5"
}

scenario_calibration() {
  echo "== e. calibration panel: password, enabling, one trim"
  local cal="Telemetry Calibration" m
  key alt+s a
  spy wait "$cal" 20 >/dev/null || fail "no password prompt"
  expect "password field" "$(control "$cal" '$2 == "Edit"' 1 | cut -f3)" "masked"
  xdotool type vqd; key Return
  spy find "$cal" "Enable" 20 >/dev/null || fail "no calibration panel"
  m=$(mark)
  click "$cal" '$4 == "OFF"' 1
  wait_frame "$m" '^001FC9W<CR>$' 60   # every channel to the calibration range
  local end=$((SECONDS + 30))
  until control "$cal" '$2 == "Edit"' 1 | cut -f3 | grep -qx -- '-'; do
    [ $SECONDS -lt "$end" ] || fail "fields still dimmed after enabling"; sleep 0.2
  done
  m=$(mark)
  click "$cal" '$2 == "Edit"' 1; retype 123; key Tab   # offset of channel 1
  wait_frame "$m" '^00A1..W<CR>$'
  wait_done "$m"
  m=$(mark)
  click "$cal" '$2 == "Button" && $4 == "OK"' 1
  spy wait "Calibration finished" 20 >/dev/null || fail "no question after calibration"
  key alt+y
  spy gone "$cal" 60 || fail "calibration panel still open"
  wait_frame "$m" '^0010B0W<CR>$'   # channel 1 back to its half bridge
}

scenario_files() {
  echo "== f. Open and Save as through Wine's file dialogs"
  tc_cfg > "$run/tc.cfg"
  local m; m=$(mark)
  key ctrl+o
  spy wait "" 20 >/dev/null || fail "no Open dialog"
  xdotool type tc.cfg; key Return
  main=$(winpath "$run/tc.cfg")
  spy wait "$main" 20 >/dev/null || fail "tc.cfg not opened"
  expect "rings" "$(states "$main" "$rings")" "6 6 6 6 6 6 6 6 6 6 6 6 6 6 6 6 "
  key ctrl+shift+s
  spy wait "Speichern unter" 20 >/dev/null || fail "no Save as dialog"
  xdotool type "Prüf"; key Return
  main=$(winpath "$run/Prüf.cfg")
  spy wait "$main" 20 >/dev/null || fail "Prüf.cfg not saved"
  cmp "$run/tc.cfg" "$run/Prüf.cfg" || fail "Prüf.cfg is not the opened file's bytes"
  [ -z "$(frames_since "$m")" ] || fail "frames sent by Open or Save as"
}

scenario_language() {
  echo "== g. language switch: the notice at once, menus and controls from the next start"
  local m; m=$(mark)
  key alt+s l g
  spy wait "Hinweis" 20 >/dev/null || fail "no German notice"
  key Return
  spy gone "Hinweis" 10 || fail "notice still open"
  [ -z "$(frames_since "$m")" ] || fail "frames sent by the language switch"
}

quit_program() {
  key ctrl+q
  local end=$((SECONDS + 30))
  while kill -0 "$win_pid" 2>/dev/null; do
    [ $SECONDS -lt "$end" ] || fail "the program did not end"; sleep 0.1
  done
}

scenario_quit() {
  echo "== i. Quit writes last.cfg and config.ctc"
  rm -f "$run/last.cfg" "$run/config.ctc"
  quit_program
  cmp "$run/last.cfg" "$run/tc.cfg" || fail "last.cfg is not the document's image"
  expect "config.ctc" "$(od -An -tx1 "$run/config.ctc" | tr -d ' ')" "000f0f05"
}

scenario_german_start() {
  echo "== g. the next start: German controls and menu bar, the image of last.cfg"
  main="last.cfg"
  local m; m=$(mark)
  launch
  spy wait "$main" 60 >/dev/null || fail "no main window"
  spy find "$main" "Kanal 16" 5 >/dev/null || fail "controls not German"
  spy find "$main" "Halbbrücke" 5 >/dev/null || fail "no German column heading"
  expect "rings" "$(states "$main" "$rings")" "6 6 6 6 6 6 6 6 6 6 6 6 6 6 6 6 "
  key alt+e k   # Einstellungen > Kalibration: only the German menu bar has it there
  spy wait "Telemetrie Kalibration" 20 >/dev/null || fail "no German menu bar"
  key Escape
  spy gone "Telemetrie Kalibration" 10 || fail "prompt still open"
  quit_program
  [ -z "$(frames_since "$m")" ] || fail "frames sent at the German start"
}

# Escape during a download at the device's own pace (COM8, a simulator that keeps time):
# the download stops early, says so, and sends nothing after its popup.
scenario_cancel() {
  echo "== k. Escape cancels a download at the device's pace"
  start_sim 8 "$work/psim" "$work/psim.log"
  map_com 8 "$work/psim"
  printf '\001\017\017\010' > "$run/config.ctc"
  main="last.cfg"
  launch
  spy wait "$main" 60 >/dev/null || fail "no main window"
  key alt+s d
  spy find "$main" "Cancel" 20 >/dev/null || fail "no Cancel on the progress line"
  local end=$((SECONDS + 30))
  until [ "$(frames_since 0 "$work/psim.log" | wc -l)" -ge 10 ]; do
    [ $SECONDS -lt "$end" ] || fail "the paced download did not start"; sleep 0.1
  done
  key Escape
  spy wait "Cancelled" 20 >/dev/null || fail "Escape did not cancel the download"
  local sent; sent=$(frames_since 0 "$work/psim.log" | wc -l)
  [ "$sent" -lt 102 ] || fail "the whole download was sent ($sent frames)"
  key Return
  spy gone "Cancelled" 10 || fail "the cancel popup stays"
  spy find "$main" "COM8" 20 >/dev/null || fail "the program does not answer after the cancel"
  expect "frames after the popup" "$(frames_since 0 "$work/psim.log" | wc -l)" "$sent"
  quit_program
  echo "   stopped after $sent of 102 frames"
}

# A seeded monkey: clicks anywhere below the menu bar and keys without letters (so no
# menu item is chosen), against a simulator with faults on COM7. The program must stay
# alive and answer, and the device must see only well-formed frames.
scenario_monkey() {
  local seed=${ZEK_MONKEY_SEED:-20261208} actions=${ZEK_MONKEY_ACTIONS:-300} i x y w h
  echo "== j. monkey: $actions actions, seed $seed, faults garbage, error, noreply, long"
  start_sim 7 "$work/msim" "$work/msim.log" --no-pacing \
    --fault garbage@3 --fault error@8 --fault noreply@13 --fault long@21 --fault garbage@34
  map_com 7 "$work/msim"
  printf '\001\017\017\007' > "$run/config.ctc"
  main="last.cfg"
  launch
  read -r x y w h < <(spy wait "$main" 60) || fail "no main window"
  local keys=(Escape Return Tab space Down Up Escape Return)
  RANDOM=$seed
  for ((i = 0; i < actions; i++)); do
    if ((RANDOM % 2)); then
      xdotool mousemove $((x + 10 + RANDOM % (w - 20))) $((y + 50 + RANDOM % (h - 60))) click 1
    else
      xdotool key "${keys[RANDOM % ${#keys[@]}]}"
    fi
    kill -0 "$win_pid" 2>/dev/null || fail "the program ended during the monkey run (action $i)"
  done
  # The title may have changed (a document falls back to temp.ctc); the panel must answer.
  main=$(spy list | awk -F'\t' '$2 == "ZekPanel" { t = $3 } END { print t }')
  timeout 60 "$wine" "$root/build-win/tests/zek-winspy.exe" find "$main" "COM7" 30 >/dev/null ||
    fail "the program does not answer after the monkey run"
  local bad; bad=$(frames_since 0 "$work/msim.log" |
    grep -vE '^(R|D|C|U|0[0-9A-F]Z|[0-9A-F]{4}[0-9A-F]{2}W)<CR>$' || true)
  [ -z "$bad" ] || fail "malformed frames: $bad"
  echo "   alive; $(frames_since 0 "$work/msim.log" | wc -l) well-formed frames"
}

scenario_start
scenario_download
scenario_sheet
scenario_port_dialog
scenario_range_and_zero
scenario_calibration
scenario_files
scenario_language
scenario_quit
scenario_german_start
scenario_cancel
scenario_monkey
echo "== window tier passed in $((SECONDS - start)) s"
