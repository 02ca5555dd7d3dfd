# Helpers for driving the real program on a private X server (sourced by
# scripts/screenshots.sh and the end-to-end tests).
#
#   xvfb_start            starts Xvfb on a free display; sets DISPLAY, XVFB_PID
#   xvfb_stop             stops it
#   app_window PID        waits for the visible window of a process; prints its id
#   app_windows PID       prints the ids of all visible windows of a process
#   twips_px TWIPS        design twips to pixels at 96 dpi
#   close_window ID       asks a window to close, as a window manager's close box does
#
# For the end-to-end tests (they set W, the window that clicks go to):
#
#   e2e_require TOOL...   exits 77 (skipped) when a tool is missing
#   e2e_begin             makes WORK (config/, run/ inside) and the cleanup trap
#   e2e_fail TEXT         reports, shows the program's output, exits 1
#   e2e_sqlite_source NAME DB [KEY=VALUE...]
#                         a private SQLite data source; exports ODBCSYSINI, ODBCINI
#   e2e_settings DBC FOLDER DSN OPTION [CONFIG]
#                         writes the program's settings file
#   e2e_start [CONFIG]    starts the program on the X server; sets APP_PID, W
#   e2e_wait_exit SECONDS waits for the program to end; sets APP_STATUS
#   click_control CX CY LEFT TOP WIDTH HEIGHT
#                         clicks a control given in twips inside a container at (CX, CY)
#   click_first_row FX FY clicks the first row of a frame's list

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

# There is no window manager on the X server, so nothing turns alt+F4 into a
# close request: this sends the WM_DELETE_WINDOW message a window manager
# sends when the close box is clicked. Fails when the window does not take
# that message.
close_window() {
  /usr/bin/python3 - "$1" <<'PY'
import sys
from Xlib import X, display
from Xlib.protocol import event

d = display.Display()
window = d.create_resource_object("window", int(sys.argv[1], 0))
protocols = d.intern_atom("WM_PROTOCOLS")
delete = d.intern_atom("WM_DELETE_WINDOW")
taken = window.get_full_property(protocols, X.AnyPropertyType)
if taken is None or delete not in taken.value:
    sys.exit("close_window: the window does not take WM_DELETE_WINDOW")
message = event.ClientMessage(window=window, client_type=protocols,
                              data=(32, [delete, X.CurrentTime, 0, 0, 0]))
window.send_event(message, event_mask=X.NoEventMask)
# A round trip before closing: a connection closed with replies unread is
# reset, and the server may then drop the message still unread on its side.
d.sync()
d.close()
PY
}

e2e_require() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null || { echo "e2e: $tool is not installed; skipped"; exit 77; }
  done
}

e2e_cleanup() {
  [ -n "${APP_PID:-}" ] && kill "$APP_PID" 2>/dev/null || true
  xvfb_stop
  if [ "${KEEP_E2E:-0}" = 1 ]; then echo "e2e: kept $WORK"; else rm -rf "$WORK"; fi
}

e2e_begin() {
  WORK=$(cd "$(mktemp -d)" && pwd -P)
  APP_PID=
  trap e2e_cleanup EXIT
  mkdir -p "$WORK/config" "$WORK/run"
  chmod 700 "$WORK/run"
}

# A script may define e2e_explain to print more when it fails.
e2e_fail() {
  echo "e2e: FAILED: $*" >&2
  if declare -F e2e_explain >/dev/null; then e2e_explain >&2 || true; fi
  if [ -s "$WORK/program.log" ]; then
    echo "e2e: the program's output:" >&2
    cat "$WORK/program.log" >&2 || true
  fi
  exit 1
}

e2e_sqlite_source() {
  local name=$1 db=$2
  shift 2
  export ODBCSYSINI=$WORK ODBCINI=$WORK/odbc.ini
  printf '[SQLite3]\nDriver=/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so\n' >"$WORK/odbcinst.ini"
  {
    printf '[%s]\nDriver=SQLite3\nDatabase=%s\n' "$name" "$db"
    local key
    for key in "$@"; do echo "$key"; done
  } >>"$WORK/odbc.ini"
}

e2e_settings() {
  local config=${5:-$WORK/config}
  mkdir -p "$config"
  printf '[Quillomar]\nDBCFile=%s\nFreeTableFolder=%s\nDataSourceName=%s\nFoxproOption=%s\n' \
    "$1" "$2" "$3" "$4" >"$config/Tolvane.ini"
}

e2e_start() {
  local config=${1:-$WORK/config}
  QT_QPA_PLATFORM=xcb LANG=C.UTF-8 XDG_CONFIG_HOME=$config XDG_RUNTIME_DIR=$WORK/run \
    "$PROGRAM" >>"$WORK/program.log" 2>&1 &
  APP_PID=$!
  W=$(app_window "$APP_PID")
  [ -n "$W" ] || e2e_fail "no window appeared"
}

e2e_wait_exit() {
  local i
  for i in $(seq $(($1 * 20))); do
    kill -0 "$APP_PID" 2>/dev/null || break
    sleep 0.05
  done
  kill -0 "$APP_PID" 2>/dev/null && return 1
  APP_STATUS=0
  wait "$APP_PID" || APP_STATUS=$?
  APP_PID=
}

click_control() {
  local cx=$1 cy=$2 left=$3 top=$4 width=$5 height=$6
  local x=$(($(twips_px "$cx") + $(twips_px "$left") + $(twips_px "$width") / 2))
  local y=$(($(twips_px "$cy") + $(twips_px "$top") + $(twips_px "$height") / 2))
  xdotool mousemove --window "$W" "$x" "$y" click 1
  sleep "${CLICK_PAUSE:-0.4}"
}

# Lists lie at (240, 360) twips inside their frame.
click_first_row() {
  local x=$(($(twips_px "$1") + $(twips_px 240) + 30))
  local y=$(($(twips_px "$2") + $(twips_px 360) + 8))
  xdotool mousemove --window "$W" "$x" "$y" click 1
  sleep 0.4
}
