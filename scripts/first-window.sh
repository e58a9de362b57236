#!/usr/bin/env bash
# Starts a desktop program on Qt's offscreen platform in folder DIR, waits until its first
# window has been painted, then ends it. Exit status 0 when the window came up; 1, with
# the program's messages, when it ended before or did not show a window within
# ZEK_WINDOW_TIMEOUT seconds (default 60).
# Usage: first-window.sh DIR PROGRAM [ARGUMENT]...
set -euo pipefail
dir=$1
shift
log=$(mktemp)
trap 'rm -f "$log"' EXIT

# Qt's painting log names the first paint of a top-level window; nothing else in the
# program has to know it is being watched.
(cd "$dir" && exec env QT_QPA_PLATFORM=offscreen QT_LOGGING_RULES="qt.widgets.painting=true" \
  "$@") >/dev/null 2>"$log" &
program=$!

deadline=$((SECONDS + ${ZEK_WINDOW_TIMEOUT:-60}))
until grep -q "Painting and flushing dirty top level" "$log"; do
  if ! kill -0 "$program" 2>/dev/null || [ "$SECONDS" -ge "$deadline" ]; then
    kill -TERM "$program" 2>/dev/null || true
    status=0
    wait "$program" || status=$?
    grep -v "^qt\.widgets\.painting" "$log" >&2 || true
    echo "first-window.sh: $* showed no window (status $status)" >&2
    exit 1
  fi
  sleep 0.1
done
kill -TERM "$program"
wait "$program" 2>/dev/null || true
echo "first-window.sh: $1 showed its window"
