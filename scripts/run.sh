#!/usr/bin/env bash
# Installs what the tool needs (Debian 12 packages, only the missing ones), builds it
# into build/, and runs it against the built-in device simulator: zek-sim serves, in demo/,
# the port the tool will open (the port number stored in demo/config.ctc, port 1 when there
# is none yet; link demo/COM<n>), zek-config starts in demo/, and the simulator is stopped
# when the tool ends.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh --run

echo "== building zek-config and zek-sim into build/"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc 2>/dev/null || echo 2)" --target zek-config zek-sim

mkdir -p demo
# The simulated system gets the memory layout the tool will use: 16 channels when the
# tool's settings in demo/ say so, else 8 (the tool's default).
# It also serves the port the tool will open: the fourth byte of the settings, 1 when there
# is none (a stored 0 is no port: the tool reports it, the simulator serves port 1).
settings_byte() { { od -An -tu1 -j"$1" -N1 demo/config.ctc 2>/dev/null || true; } | tr -d ' '; }
channels=8
port=1
if [ -f demo/config.ctc ]; then
  if [ "$(settings_byte 1)" = 15 ]; then channels=16; fi
  stored=$(settings_byte 3)
  if [ -n "$stored" ] && [ "$stored" -gt 0 ]; then port=$stored; fi
fi
echo "== starting the device simulator ($channels channels) as port $port in demo/ (traffic log: demo/zek-sim.log)"
build/zek-sim --port "$port" --dir demo --channels "$channels" --log demo/zek-sim.log >demo/zek-sim.out 2>&1 &
sim=$!
stop_sim() {
  if kill -0 "$sim" 2>/dev/null; then
    echo "== stopping the device simulator"
    kill -TERM "$sim"
    wait "$sim" 2>/dev/null || true
  fi
}
trap stop_sim EXIT
trap 'exit 130' INT TERM

# The simulator announces its link once it serves; it ends at once if it cannot.
for _ in $(seq 100); do
  grep -q "is demo/COM$port" demo/zek-sim.out 2>/dev/null && break
  if ! kill -0 "$sim" 2>/dev/null; then
    cat demo/zek-sim.out >&2
    echo "run.sh: the device simulator did not start" >&2
    exit 1
  fi
  sleep 0.1
done
cat demo/zek-sim.out

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "run.sh: no display found (DISPLAY / WAYLAND_DISPLAY); the window may not open" >&2
fi
echo "== starting zek-config in demo/ on port $port; close its window to end"
status=0
(cd demo && ../build/zek-config) || status=$?
exit "$status"
