#!/usr/bin/env bash
# End to end: the real program on a private X server, started with a
# prepared settings file whose FoxPro folder and data source both open, so it
# shows the table window on its own. Selects all and deletes on both sides,
# goes "< Back" and "Next >", and checks the folder on disk and the database.
# A real window manager (openbox) frames the windows, so that the table
# window's height and the connection window's place are those a user sees.
# Usage: table_window_e2e.sh PROGRAM SOURCE_DIR
# Exits 77 (skipped) when Xvfb, xdotool, openbox or sqlite3 is missing.
# With QUILLOMAR_UPDATE_DOCS=1 the table window's screenshot goes to docs/.
set -euo pipefail
PROGRAM=$1
SOURCE_DIR=$2
for tool in Xvfb xdotool import sqlite3 openbox; do
  command -v "$tool" >/dev/null || { echo "e2e: $tool is not installed; skipped"; exit 77; }
done
source "$SOURCE_DIR/scripts/screenshot-lib.sh"
FIXTURE=$SOURCE_DIR/../shared/fixtures/vfp/foxbin2prg/encuestas.dbf
[ -f "$FIXTURE" ] || { echo "e2e: fixture $FIXTURE missing; skipped"; exit 77; }

WORK=$(mktemp -d)
APP_PID=
WM_PID=
cleanup() {
  [ -n "$APP_PID" ] && kill "$APP_PID" 2>/dev/null || true
  [ -n "$WM_PID" ] && kill "$WM_PID" 2>/dev/null || true
  xvfb_stop
  if [ "${KEEP_E2E:-0}" = 1 ]; then echo "e2e: kept $WORK"; else rm -rf "$WORK"; fi
}
trap cleanup EXIT
fail() {
  echo "e2e: FAILED: $*" >&2
  cat "$WORK/program.log" >&2 || true
  exit 1
}

# Clicks the centre of a control given in twips inside a container at (cx, cy).
click_control() {
  local cx=$1 cy=$2 left=$3 top=$4 width=$5 height=$6
  local x=$(($(twips_px "$cx") + $(twips_px "$left") + $(twips_px "$width") / 2))
  local y=$(($(twips_px "$cy") + $(twips_px "$top") + $(twips_px "$height") / 2))
  xdotool mousemove --window "$W" "$x" "$y" click 1
  sleep 0.5
}

# Clicks the first row of a list at (240, 360) twips inside the frame at (fx, fy).
click_first_row() {
  local x=$(($(twips_px "$1") + $(twips_px 240) + 30))
  local y=$(($(twips_px "$2") + $(twips_px 360) + 8))
  xdotool mousemove --window "$W" "$x" "$y" click 1
  sleep 0.4
}

# Waits until the one visible window of the program is `want` (or any
# window other than `not` when want is "-").
wait_single_window() {
  local want=$1 not=${2:-} i windows
  for i in $(seq 60); do
    windows=$(app_windows "$APP_PID")
    if [ "$(echo "$windows" | grep -c .)" -eq 1 ]; then
      if [ "$want" = - ] && [ "$windows" != "$not" ]; then echo "$windows"; return 0; fi
      if [ "$windows" = "$want" ]; then echo "$windows"; return 0; fi
    fi
    sleep 0.1
  done
  return 1
}

# The size of a window's own area, "WIDTHxHEIGHT".
client_size() { xdotool getwindowgeometry "$1" | awk '/Geometry/ {print $2}'; }

# Fails unless window $1's own area has its centre near the screen's
# (1024x768): the frame is centred, so the title bar moves the area down a
# little.
expect_centred() {
  local X Y WIDTH HEIGHT SCREEN WINDOW
  eval "$(xdotool getwindowgeometry --shell "$1")"
  local cx=$((X + WIDTH / 2)) cy=$((Y + HEIGHT / 2))
  [ $((cx > 512 ? cx - 512 : 512 - cx)) -le 16 ] && [ "$cy" -ge 376 ] && [ "$cy" -le 424 ] ||
    fail "$2: the window's centre is at $cx,$cy, not near the screen's 512,384"
}

dbf_count() { find "$WORK/free" -maxdepth 1 -iname '*.dbf' | wc -l; }
sql_count() { sqlite3 "$WORK/e2e.db" "SELECT count(*) FROM sqlite_master WHERE type = 'table'"; }

# FoxPro side: three free tables. SQL side: a private SQLite data source.
mkdir -p "$WORK/config" "$WORK/run" "$WORK/free"
chmod 700 "$WORK/run"
for name in customers orders "order lines"; do cp "$FIXTURE" "$WORK/free/$name.dbf"; done
sqlite3 "$WORK/e2e.db" 'CREATE TABLE alpha (id INTEGER); CREATE TABLE "Beta Table" (id INTEGER);
  CREATE TABLE gamma (id INTEGER); CREATE VIEW v_alpha AS SELECT * FROM alpha;'
export ODBCSYSINI=$WORK ODBCINI=$WORK/odbc.ini
printf '[SQLite3]\nDriver=/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so\n' >"$WORK/odbcinst.ini"
printf '[E2eTables]\nDriver=SQLite3\nDatabase=%s/e2e.db\n' "$WORK" >"$WORK/odbc.ini"
cat >"$WORK/config/Tolvane.ini" <<INI
[Quillomar]
DBCFile=
FreeTableFolder=$WORK/free
DataSourceName=E2eTables
FoxproOption=2
INI

xvfb_start || exit 77
openbox --sm-disable >"$WORK/openbox.log" 2>&1 &
WM_PID=$!
sleep 1
kill -0 "$WM_PID" 2>/dev/null || { echo "e2e: openbox did not start; skipped"; exit 77; }
QT_QPA_PLATFORM=xcb LANG=C.UTF-8 XDG_CONFIG_HOME=$WORK/config XDG_RUNTIME_DIR=$WORK/run "$PROGRAM" \
  >"$WORK/program.log" 2>&1 &
APP_PID=$!
W=$(app_window "$APP_PID")
[ -n "$W" ] || fail "no window appeared"
sleep 1
W=$(wait_single_window - "") || fail "the start-up did not leave exactly one window"
TITLE=$(xdotool getwindowname "$W")
[ "$TITLE" = Quillomar ] || fail "window title is '$TITLE'"
GEOMETRY=$(client_size "$W")
[ "$GEOMETRY" = "536x401" ] || fail "the start-up did not open the table window (geometry $GEOMETRY)"
TABLES=$W
import -window "$W" "$WORK/table-window.png"
colours=$(convert "$WORK/table-window.png" -format %k info:)
[ "$colours" -gt 8 ] || fail "table window screenshot is blank ($colours colours)"

# FoxPro side, Frame1 at (120, 120): first row current, Select All
# (PushButton10 240, 2100, 1600, 400), Delete (PushButton1 240, 3090, 3330, 405).
click_first_row 120 120
click_control 120 120 240 2100 1600 400
click_control 120 120 240 3090 3330 405
[ "$(dbf_count)" -eq 0 ] || fail "FoxPro tables left on disk: $(ls "$WORK/free")"
[ "$(app_windows "$APP_PID" | grep -c .)" -eq 1 ] || fail "a box appeared after the FoxPro delete"

# SQL side, Frame2 at (4080, 120): Select All (PushButton8 240, 2100, 1600,
# 405), Delete (PushButton5 240, 3100, 3330, 405).
click_first_row 4080 120
click_control 4080 120 240 2100 1600 405
click_control 4080 120 240 3100 3330 405
[ "$(sql_count)" -eq 0 ] || fail "tables left in the database: $(sqlite3 "$WORK/e2e.db" .tables)"
[ "$(sqlite3 "$WORK/e2e.db" "SELECT count(*) FROM sqlite_master WHERE type = 'view'")" -eq 1 ] ||
  fail "the view is gone"

# "< Back" (PushButton2 120, 5025, 3840, 405) shows the connection window,
# never shown before, centred as at start-up. "Next >" (PushButton4 120,
# 3640, 7800, 405) shows the table window again, loaded again, at its
# height. Twice, since each load sets the height.
for round in 1 2; do
  W=$TABLES
  click_control 0 0 120 5025 3840 405
  W=$(wait_single_window - "$TABLES") || fail "< Back did not swap the windows"
  CONNECTION=$W
  sleep 0.5
  [ "$round" = 2 ] || expect_centred "$W" "< Back"
  [ "$round" = 2 ] || import -window "$W" "$WORK/connection-window.png"
  click_control 0 0 120 3640 7800 405
  W=$(wait_single_window "$TABLES") || fail "Next > did not show the table window again"
  sleep 0.5
  GEOMETRY=$(client_size "$W")
  [ "$GEOMETRY" = "536x401" ] || fail "Next > $round: the table window is $GEOMETRY, not 536x401"
done
import -window "$W" "$WORK/table-window-empty.png"
kill -0 "$APP_PID" 2>/dev/null || fail "the program ended"
[ "$CONNECTION" != "$TABLES" ] || fail "one window for both"

if [ "${QUILLOMAR_UPDATE_DOCS:-0}" = 1 ]; then
  mkdir -p "$SOURCE_DIR/docs"
  cp "$WORK/table-window.png" "$SOURCE_DIR/docs/table-window.png"
  echo "e2e: wrote docs/table-window.png"
fi
echo "e2e: passed"
