#!/usr/bin/env bash
# End to end: the real program on a private X server, started with a
# prepared settings file, clicked and typed into with xdotool, and checked
# through the settings file on disk and screenshots.
# Usage: connection_window_e2e.sh PROGRAM SOURCE_DIR
# Exits 77 (skipped) when Xvfb or xdotool is missing.
set -euo pipefail
PROGRAM=$1
SOURCE_DIR=$2
for tool in Xvfb xdotool import; do
  command -v "$tool" >/dev/null || { echo "e2e: $tool is not installed; skipped"; exit 77; }
done
source "$SOURCE_DIR/scripts/screenshot-lib.sh"

WORK=$(mktemp -d)
APP_PID=
cleanup() {
  [ -n "$APP_PID" ] && kill "$APP_PID" 2>/dev/null || true
  xvfb_stop
  if [ "${KEEP_E2E:-0}" = 1 ]; then echo "e2e: kept $WORK"; else rm -rf "$WORK"; fi
}
trap cleanup EXIT
fail() {
  echo "e2e: FAILED: $*" >&2
  echo "e2e: settings file now:" >&2
  cat "$WORK/config/Tolvane.ini" >&2 || true
  exit 1
}

# The value of a key in the [Quillomar] group of the settings file.
stored() {
  /usr/bin/python3 - "$WORK/config/Tolvane.ini" "$1" <<'PY'
import configparser, sys
p = configparser.RawConfigParser()
p.optionxform = str
p.read(sys.argv[1], encoding="utf-8")
print(p.get("Quillomar", sys.argv[2], fallback=""))
PY
}

# Clicks the centre of a control given in twips inside a frame at (fx, fy).
click_control() {
  local fx=$1 fy=$2 left=$3 top=$4 width=$5 height=$6
  local x=$(($(twips_px "$fx") + $(twips_px "$left") + $(twips_px "$width") / 2))
  local y=$(($(twips_px "$fy") + $(twips_px "$top") + $(twips_px "$height") / 2))
  xdotool mousemove --window "$W" "$x" "$y" click 1
  sleep 0.4
}

# Waits until the program shows `count` visible windows.
wait_windows() {
  local want=$1 i
  for i in $(seq 50); do
    [ "$(app_windows "$APP_PID" | wc -l)" -eq "$want" ] && return 0
    sleep 0.1
  done
  return 1
}

# The message box of the program: the visible window that is not the main one.
box_window() { app_windows "$APP_PID" | grep -vx "$W" | head -1; }

mkdir -p "$WORK/config" "$WORK/run"
chmod 700 "$WORK/run"
cat >"$WORK/config/Tolvane.ini" <<'INI'
[Quillomar]
DBCFile=/nonexistent/prepared.dbc
FreeTableFolder=/nonexistent/free
DataSourceName=prepared
FoxproOption=1
INI

# The data source to type: the test environment's SQLite source when there
# is one, else a private one made here.
DSN=${QUILLOMAR_DSN_SQLITE:-}
if [ -z "$DSN" ]; then
  export ODBCSYSINI=$WORK ODBCINI=$WORK/odbc.ini
  printf '[SQLite3]\nDriver=/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so\n' >"$WORK/odbcinst.ini"
  printf '[E2eSqlite]\nDriver=SQLite3\nDatabase=%s/e2e.db\n' "$WORK" >"$WORK/odbc.ini"
  DSN=E2eSqlite
fi

xvfb_start || exit 77
XDG_CONFIG_HOME=$WORK/config XDG_RUNTIME_DIR=$WORK/run "$PROGRAM" >"$WORK/program.log" 2>&1 &
APP_PID=$!
W=$(app_window "$APP_PID")
[ -n "$W" ] || fail "no window appeared"
sleep 0.5
[ "$(stored DataSourceName)" = prepared ] || fail "start-up changed the stored data source name"

# "Load Sample/Example Datab": Frame1 (120, 120), PushButton8 (3600, 1320, 3240, 405).
click_control 120 120 3600 1320 3240 405
PROGRAM_DIR=$(dirname "$(realpath "$PROGRAM")")
[ "$(stored FoxproOption)" = 2 ] || fail "FoxproOption is not 2 after Load Sample"
[ "$(stored FreeTableFolder)" = "$PROGRAM_DIR/Samples" ] || fail "FreeTableFolder is not the sample folder"
[ "$(stored DBCFile)" = /nonexistent/prepared.dbc ] || fail "DBCFile changed"

# FoxPro "Test Connection" on the sample folder: PushButton1 (240, 1320, 3240, 405).
click_control 120 120 240 1320 3240 405
wait_windows 2 || fail "no message box after the FoxPro Test Connection"
BOX=$(box_window)
FOXPRO_WIDTH=$(xdotool getwindowgeometry "$BOX" | awk '/Geometry/ {split($2, a, "x"); print a[1]}')
xdotool key Return
wait_windows 1 || fail "the FoxPro message box did not close"

# Type the data source name into Text3: Frame2 (120, 2100), Text3 (2040, 360, 5535, 345).
# Its got-focus handler selects the old text, so typing replaces it.
click_control 120 2100 2040 360 5535 345
xdotool key --window "$W" ctrl+a
xdotool type --delay 30 "$DSN"
sleep 0.3
[ "$(stored DataSourceName)" = "$DSN" ] || fail "DataSourceName is not the typed name"

# Test Connection on the SQL side: PushButton2 (240, 840, 3600, 405) in Frame2.
click_control 120 2100 240 840 3600 405
wait_windows 2 || fail "no message box after Test Connection"
BOX=$(box_window)
echo "e2e: box window $BOX, all: $(app_windows "$APP_PID" | tr "\n" " ")"
import -window root "$WORK/success.png"
GOOD_WIDTH=$(xdotool getwindowgeometry "$BOX" | awk '/Geometry/ {split($2, a, "x"); print a[1]}')
xdotool key Return
wait_windows 1 || fail "the message box did not close"

# A name that does not exist: the other message, in a box of another width.
click_control 120 2100 2040 360 5535 345
xdotool key --window "$W" ctrl+a
xdotool type --delay 30 "NoSuchSource"
sleep 0.3
[ "$(stored DataSourceName)" = NoSuchSource ] || fail "DataSourceName is not the second typed name"
click_control 120 2100 240 840 3600 405
wait_windows 2 || fail "no message box after the failing Test Connection"
BOX=$(box_window)
echo "e2e: box window $BOX, all: $(app_windows "$APP_PID" | tr "\n" " ")"
import -window root "$WORK/failure.png"
BAD_WIDTH=$(xdotool getwindowgeometry "$BOX" | awk '/Geometry/ {split($2, a, "x"); print a[1]}')
xdotool key Return
[ "$GOOD_WIDTH" != "$BAD_WIDTH" ] ||
  fail "both tests showed boxes of the same width ($GOOD_WIDTH): the same message twice"
# The sample folder opened: its box says what the good data source's box says.
if [ -n "$(ls "$PROGRAM_DIR/Samples" 2>/dev/null)" ]; then
  [ "$FOXPRO_WIDTH" = "$GOOD_WIDTH" ] || fail "the sample folder did not connect"
fi

# The screenshots show something: more than a handful of colours.
for shot in success failure; do
  colours=$(convert "$WORK/$shot.png" -format %k info:)
  [ "$colours" -gt 8 ] || fail "$shot screenshot is blank ($colours colours)"
done
kill -0 "$APP_PID" 2>/dev/null || fail "the program ended"
echo "e2e: passed (data source $DSN)"
