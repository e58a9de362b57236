#!/usr/bin/env bash
# The Windows build, proven under Wine: builds everything but the Qt front end with
# MinGW-w64 (build-win/), runs the unit and behaviour tests as Windows programs, then the
# Win32 serial backend against zek-sim on a Linux pseudo-terminal that Wine maps to a COM
# port. Also checks that the Qt front end makes no POSIX calls, since its Windows build
# (with Qt for Windows) cannot be checked here.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
jobs=$(nproc 2>/dev/null || echo 2)

echo "== the Qt front end makes no POSIX calls"
posix_headers='#include <(unistd|fcntl|termios|poll|dirent|pwd|grp|pty|sys/[a-z]+)\.h>'
posix_calls='::(open|close|read|write|ioctl|stat|lstat|unlink|rename)\s*\(|(^|[^.>:_A-Za-z0-9])(fork|pipe|ioctl|tcsetattr|tcgetattr|mkstemp|mkdtemp|fsync|symlink|readlink|chdir|getuid|geteuid|umask|lstat|flock|poll|getpwuid|getgrgid)\s*\('
if grep -nE "$posix_headers|$posix_calls" platform/frontend/qt/*; then
  echo "platform/frontend/qt must leave the system's calls to platform/" >&2
  exit 1
fi

echo "== cross build (MinGW-w64), warnings as errors"
cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=Release -DZEK_WERROR=ON
cmake --build build-win -j"$jobs" --target zek-tests zek-serial-win32-tests zek-cli zek-winspy
echo "== zek-config.exe: a 64-bit GUI program needing no DLL outside Windows"
exe=$(scripts/build-windows.sh)
objdump=x86_64-w64-mingw32-objdump
headers=$("$objdump" -f -p "$exe")  # read whole: grep -q would cut the pipe short
grep -q 'pei-x86-64' <<<"$headers" || { echo "$exe is not 64-bit" >&2; exit 1; }
grep -q 'Subsystem.*Windows GUI' <<<"$headers" || { echo "$exe is no GUI program" >&2; exit 1; }
system_dlls='^(advapi32|comctl32|comdlg32|gdi32|gdiplus|kernel32|msvcrt|ole32|shell32|user32)\.dll$'
if sed -n 's/.*DLL Name: //p' <<<"$headers" | tr 'A-Z' 'a-z' | grep -vE "$system_dlls"; then
  echo "$exe needs a DLL that Windows does not have" >&2; exit 1
fi
[ -f "$(dirname "$exe")/zek-config.uir" ] || { echo "no resource beside $exe" >&2; exit 1; }
echo "== zek-sim for the serial test (Linux build)"
[ -f build/build.ninja ] || cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DZEK_WERROR=ON
cmake --build build -j"$jobs" --target zek-sim

wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
work=$(mktemp -d)
sim_pid=""
cleanup() {
  if [ -n "$sim_pid" ]; then kill "$sim_pid" 2>/dev/null || true; wait "$sim_pid" 2>/dev/null || true; fi
  "$wineserver" -k >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
echo "== Wine prefix in $WINEPREFIX"
mkdir "$WINEPREFIX"
"$wineserver" -p >/dev/null 2>&1  # the prefix's server, its object dump at the end discarded
"$wine" wineboot --init >/dev/null 2>&1

echo "== unit and behaviour tests under Wine"
"$wine" build-win/tests/zek-tests.exe --gtest_brief=1

echo "== Win32 serial backend against zek-sim (COM5 -> its pseudo-terminal)"
mkdir "$work/sim"
build/zek-sim --port 5 --dir "$work/sim" --channels 16 --no-pacing \
  --log "$work/sim.log" > "$work/sim.out" 2>&1 &
sim_pid=$!
for _ in $(seq 100); do [ -L "$work/sim/COM5" ] && break; sleep 0.1; done
pty=$(readlink "$work/sim/COM5")
ln -sfn "$pty" "$WINEPREFIX/dosdevices/com5"
rm -f "$WINEPREFIX/dosdevices/com9"
if ! ZEK_WINE_COM=5 ZEK_WINE_COM_MISSING=9 \
    "$wine" build-win/tests/zek-serial-win32-tests.exe; then
  cat "$work/sim.log" >&2 || true
  exit 1
fi
echo "== zek-cli.exe against zek-sim through COM5"
mkdir "$work/cli"
cli_exe="$PWD/build-win/zek-cli.exe"
cli() { (cd "$work/cli" && "$wine" "$cli_exe" --port 5 --channels 16 --lang en "$@"); }
cli upload up.cfg
# Every channel a thermocouple: a short download, one mode byte each.
{ head -c 32 "$work/cli/up.cfg"; printf 'c9%.0s' $(seq 16); tail -c +65 "$work/cli/up.cfg"; } \
  > "$work/cli/tc.cfg"
cli --json download tc.cfg --verify
cli compare tc.cfg
# A file name beyond ASCII arrives whole: the arguments are taken as UTF-16.
cli upload "Prüf.cfg"
[ -f "$work/cli/Prüf.cfg" ] || { echo "zek-cli.exe did not write Prüf.cfg" >&2; exit 1; }
cli compare "Prüf.cfg"
scripts/test-windows-setup.sh   # the setup's round trip, in a prefix of its own
echo "== the Windows window under Wine (scripts/test-windows-window.sh)"
scripts/test-windows-window.sh
echo "== Windows tests passed"
