# Helpers for driving the real program on a private X server (sourced by
# scripts/screenshots.sh and the end-to-end tests).
#
#   xvfb_start            starts Xvfb on a free display; sets DISPLAY, XVFB_PID
#   xvfb_stop             stops it
#   app_window PID        waits for the visible window of a process; prints its id
#   app_windows PID       prints the ids of all visible windows of a process
#   twips_px TWIPS        design twips to pixels at 96 dpi

xvfb_start() {
  local n
  for n in $(seq 90 250); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -dpi 96 -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    local i
    for i in $(seq 100); do
      [ -e "/tmp/.X11-unix/X$n" ] && break
      kill -0 "$XVFB_PID" 2>/dev/null || break
      sleep 0.05
    done
    if [ -e "/tmp/.X11-unix/X$n" ] && kill -0 "$XVFB_PID" 2>/dev/null; then
      export DISPLAY=":$n"
      return 0
    fi
  done
  echo "screenshot-lib: no free display for Xvfb" >&2
  return 1
}

xvfb_stop() {
  [ -n "${XVFB_PID:-}" ] || return 0
  kill "$XVFB_PID" 2>/dev/null || true
  wait "$XVFB_PID" 2>/dev/null || true
  XVFB_PID=
}

app_window() {
  timeout 60 xdotool search --sync --onlyvisible --pid "$1" 2>/dev/null | head -1
}

app_windows() {
  xdotool search --onlyvisible --pid "$1" 2>/dev/null || true
}

twips_px() { echo $((($1 + 7) / 15)); }
