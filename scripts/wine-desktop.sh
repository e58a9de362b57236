# Sourced by the Windows tests: a throw-away Wine prefix with a screen of its own.
#   wine_desktop_start DIR   starts Xvfb on a free display and makes a fresh prefix in
#                            DIR/prefix with Wine's own fonts and its virtual desktop;
#                            exports DISPLAY, WINEPREFIX, WINEDEBUG; sets $wine, $wineserver
#   wine_desktop_stop        ends the prefix's programs and the display
# Wine's virtual desktop matters: without it every hidden window costs 2 s and windows
# have no frames. Debian's fonts-wine is not on Wine's font path, hence the copy.
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
wine_xvfb_pid=""

wine_desktop_start() {
  local dir=$1 size=${2:-1024x768} fd_file
  fd_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp 3>"$fd_file" >/dev/null 2>&1 &
  wine_xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$fd_file" ] && break; sleep 0.05; done
  [ -s "$fd_file" ] || { echo "Xvfb did not start" >&2; return 1; }
  export DISPLAY=":$(head -n1 "$fd_file")"
  rm -f "$fd_file"
  export WINEPREFIX="$dir/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  mkdir -p "$WINEPREFIX"
  "$wineserver" -p >/dev/null 2>&1
  "$wine" wineboot --init >/dev/null 2>&1
  cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
  printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]\n"Desktop"="Default"\n\n[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]\n"Default"="%s"\n' \
    "$size" > "$dir/desktop.reg"
  "$wine" regedit "$dir/desktop.reg" >/dev/null 2>&1
  # The desktop process that wineboot started keeps running without the virtual desktop
  # (programs then get X windows of their own, without frames): start the server anew.
  "$wineserver" -k >/dev/null 2>&1 || true
  "$wineserver" -w >/dev/null 2>&1 || true
  "$wineserver" -p >/dev/null 2>&1
}

wine_desktop_stop() {
  "$wineserver" -k >/dev/null 2>&1 || true
  if [ -n "$wine_xvfb_pid" ]; then
    kill "$wine_xvfb_pid" 2>/dev/null || true
    wait "$wine_xvfb_pid" 2>/dev/null || true
    wine_xvfb_pid=""
  fi
}
