#!/usr/bin/env bash
# Takes the README's screenshot of the connection window from the real
# program on a private X server: docs/connection-window.png. The program is
# started with a private settings file (sample folder chosen, a data source
# name typed) and private, empty ODBC files, so it stays on its first window.
# Usage: scripts/screenshots.sh [path/to/quillomar]
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
PROGRAM=${1:-$ROOT/build/release/bin/quillomar}
[ -x "$PROGRAM" ] || { echo "screenshots: build the program first (./run.sh)" >&2; exit 1; }
PROGRAM=$(realpath "$PROGRAM")
source "$ROOT/scripts/screenshot-lib.sh"

WORK=$(mktemp -d)
APP_PID=
cleanup() {
  [ -n "$APP_PID" ] && kill "$APP_PID" 2>/dev/null || true
  xvfb_stop
  rm -rf "$WORK"
}
trap cleanup EXIT

mkdir -p "$WORK/config" "$WORK/run" "$ROOT/docs"
chmod 700 "$WORK/run"
cat >"$WORK/config/Tolvane.ini" <<INI
[Quillomar]
DBCFile=/home/me/data/northwind.dbc
FreeTableFolder=$(dirname "$PROGRAM")/Samples
DataSourceName=QuillomarSample
FoxproOption=2
INI
: >"$WORK/odbc.ini"
: >"$WORK/odbcinst.ini"

xvfb_start
XDG_CONFIG_HOME=$WORK/config XDG_RUNTIME_DIR=$WORK/run ODBCSYSINI=$WORK ODBCINI=$WORK/odbc.ini \
  "$PROGRAM" >/dev/null 2>&1 &
APP_PID=$!
W=$(app_window "$APP_PID")
[ -n "$W" ] || { echo "screenshots: the program showed no window" >&2; exit 1; }
sleep 0.5
import -window "$W" "$ROOT/docs/connection-window.png"
echo "screenshots: wrote docs/connection-window.png"
