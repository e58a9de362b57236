#!/usr/bin/env bash
# Writes the documentation's pictures into docs/: the main window (German, 8 channels;
# English, 16 channels), the port dialog, the calibration panel, the information
# dialog, popups and file dialogs in both languages, the question after calibration, and a
# page of the configuration sheet. The program runs on Qt's offscreen platform against the in-process device
# simulator, so no display and no device are needed.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${ZEK_BUILD_DIR:-build}

cmake -S . -B "$build" -G Ninja >/dev/null
cmake --build "$build" -j"$(nproc 2>/dev/null || echo 2)" --target zek-screenshots
mkdir -p docs
QT_QPA_PLATFORM=offscreen "$build/tools/zek-screenshots" docs 2> >(grep -v -e 'does not support' -e XDG_RUNTIME_DIR >&2)
