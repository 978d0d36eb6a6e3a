# Sourced by the tests under Wine: a work folder, an Xvfb screen of 800 x 600 x 24
# (the levels' configured size, so full screen needs no mode change) and a fresh
# Wine prefix, all removed on exit. Sets work, wine, wineserver and DISPLAY.
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver
work="$(mktemp -d "${TMPDIR:-/tmp}/orvik-wine-tests.XXXXXX")"
xvfb=""
wine_session_end() {
  WINEPREFIX="$work/prefix" "$wineserver" -k 2>/dev/null || true
  WINEPREFIX="$work/prefix" "$wineserver" -w 2>/dev/null || true
  if [ -n "$xvfb" ]; then kill "$xvfb" 2>/dev/null || true; wait "$xvfb" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap wine_session_end EXIT

exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb=$!
exec 3>&-
# A busy machine can take a while to start Xvfb: wait up to a minute, and say so if it never comes.
for _ in $(seq 600); do [ -s "$work/display" ] && break; sleep 0.1; done
if [ ! -s "$work/display" ]; then
  echo "wine-session: Xvfb did not start" >&2
  cat "$work/xvfb.log" >&2
  exit 1
fi
export DISPLAY=":$(head -n 1 "$work/display")"
# No desktop menu entries, and no offer to download Mono or Gecko (a dialog that would wait).
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
if ! "$wine" wineboot -i >"$work/wineboot.log" 2>&1; then
  echo "wine-session: wineboot failed" >&2
  tail -n 20 "$work/wineboot.log" >&2
  exit 1
fi
# A crash ends the program at once instead of waiting in Wine's debugger.
if ! "$wine" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /d '' /f \
  >"$work/reg.log" 2>&1; then
  echo "wine-session: could not turn Wine's debugger off" >&2
  cat "$work/reg.log" >&2
  exit 1
fi

# Waits up to $2 tenths of a second for process $1 to end; kills it after that.
# Sets status to its exit code (124 when it had to be killed).
wait_for() {
  for _ in $(seq "$2"); do kill -0 "$1" 2>/dev/null || break; sleep 0.1; done
  status=0
  if kill -0 "$1" 2>/dev/null; then kill "$1"; wait "$1" 2>/dev/null || true; status=124; return; fi
  wait "$1" || status=$?
}
