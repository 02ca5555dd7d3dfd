#!/usr/bin/env bash
# End to end: the real program on a private X server copies tables in both
# directions between a copy of the sample tables and a private SQLite data
# source (set up like the sample data source: WAL journal, full sync), and is
# closed in the middle of a copy in each direction.
#
#   1. All sample tables to the SQL side, then all of them back over the
#      FoxPro tables, answering Yes to each overwrite question. Both sides are
#      checked with foxsql and the sqlite3 client, row by row.
#   2. A large FoxPro table to the SQL side; screenshots are taken until one
#      shows the progress bar partly filled, then the window is closed.
#   3. A large SQL table to the FoxPro side, closed in the middle.
#   After each close the program must end at once and both sides must hold
#   every row sent, the source's first rows, in readable, consistent files.
#
# Usage: transfer_e2e.sh PROGRAM SOURCE_DIR FOXSQL
# Exits 77 (skipped) when Xvfb, xdotool, ImageMagick, sqlite3, the sample
# tables or python3-xlib are missing.
# With QUILLOMAR_UPDATE_DOCS=1 the progress screenshot goes to docs/.
set -euo pipefail
PROGRAM=$(realpath "$1")
SOURCE_DIR=$2
FOXSQL=$(realpath "$3")
source "$SOURCE_DIR/scripts/screenshot-lib.sh"
e2e_require Xvfb xdotool import convert sqlite3
/usr/bin/python3 -c 'import Xlib' 2>/dev/null || { echo "e2e: python3-xlib is not installed; skipped"; exit 77; }
SAMPLES=$(dirname "$PROGRAM")/Samples
[ -n "$(ls "$SAMPLES" 2>/dev/null)" ] || { echo "e2e: no sample tables beside the program; skipped"; exit 77; }
ROWS="/usr/bin/python3 $SOURCE_DIR/tests/e2e/table_rows.py $FOXSQL"
BULK_ROWS=${E2E_BULK_ROWS:-20000}
ARCHIVE_ROWS=${E2E_ARCHIVE_ROWS:-200000}

e2e_begin
FOX=$WORK/free
DB=$WORK/e2e.db
e2e_explain() {
  echo "e2e: windows of the program:"
  local w
  for w in $(app_windows "${APP_PID:-0}"); do echo "  $w $(xdotool getwindowname "$w")"; done
  [ -n "${APP_PID:-}" ] && import -window root "$WORK/failure.png" 2>/dev/null &&
    echo "e2e: screen at the failure: $WORK/failure.png (KEEP_E2E=1 keeps it)"
  return 0
}

now_ms() { echo $(($(date +%s%N) / 1000000)); }

# Files of either side that the program holds open: none once a copy has
# closed both connections.
held_files() {
  local fd target n=0
  for fd in /proc/"$APP_PID"/fd/*; do
    target=$(readlink "$fd" 2>/dev/null) || continue
    case $target in "$FOX"/* | "$DB"*) n=$((n + 1)) ;; esac
  done
  echo "$n"
}

# The program's windows other than the table window.
boxes() { app_windows "$APP_PID" | grep -vx "$W" || true; }

# Fails when a box is open: the program reports failures in "Application
# Error" boxes, and a copy without questions shows none.
no_box() {
  local box
  box=$(boxes | head -1)
  [ -z "$box" ] || e2e_fail "$1: a box titled '$(xdotool getwindowname "$box")' appeared"
}

# Polls `condition` (a command) every 0.1 s for up to `seconds`; checks that
# no box appears meanwhile.
wait_until() {
  local seconds=$1 what=$2 i
  shift 2
  for i in $(seq $((seconds * 10))); do
    no_box "$what"
    "$@" && return 0
    sleep 0.1
  done
  e2e_fail "$what: not done after $seconds s"
}

sql_rows() { sqlite3 "$DB" "SELECT count(*) FROM \"$1\"" 2>/dev/null || echo 0; }
fox_tables() { "$FOXSQL" "$1" .tables | tr -d '\r' | awk -F, 'NR > 1 && $1 == "TABLE" {print $2}'; }

# True once the program has let go of both sides.
released() { [ "$(held_files)" -eq 0 ]; }

# True when every sample table is on the SQL side with all its rows and the
# program has let go of both sides.
sent_to_sql() {
  local table
  for table in $TABLES; do
    [ "$(sql_rows "$table")" = "${SOURCE_COUNT[$table]}" ] || return 1
  done
  released
}

# Answers Yes to `count` overwrite questions, one at a time, with the
# keyboard: Return presses a question's default button, Yes. Any other box
# fails the test.
answer_overwrite_questions() {
  local count=$1 answered=0 i box name
  for i in $(seq 300); do
    box=$(boxes | head -1)
    if [ -n "$box" ]; then
      name=$(xdotool getwindowname "$box")
      [ "$name" = "Overwrite?" ] || e2e_fail "a box titled '$name' appeared instead of a question"
      # Keys go to the focused window: make sure it is the question.
      [ "$(xdotool getwindowfocus)" = "$box" ] || xdotool mousemove --window "$box" 4 4 click 1
      xdotool key Return
      for i in $(seq 50); do boxes | grep -qx "$box" || break; sleep 0.1; done
      boxes | grep -qx "$box" && e2e_fail "the overwrite question did not close"
      answered=$((answered + 1))
      [ "$answered" -eq "$count" ] && return 0
    fi
    sleep 0.1
  done
  e2e_fail "$answered of $count overwrite questions appeared"
}

# The share of the progress bar that is filled, in percent: the bar's
# highlight pixels along a line above its caption.
bar_fill() {
  local left=$(($(twips_px 120) + 2)) top=$(($(twips_px 4485) + 5)) width=$(($(twips_px 7800) - 4))
  convert "$1" -crop "${width}x1+$left+$top" +repage -depth 8 txt:- |
    awk -v width="$width" -F'[(),]' 'NR > 1 && $5 - $3 > 80 {n++} END {print int(n * 100 / width)}'
}

# Starts the program and checks that it opened the table window on its own.
start_table_window() {
  e2e_start
  local i
  for i in $(seq 50); do
    [ "$(app_windows "$APP_PID" | grep -c .)" -eq 1 ] &&
      [ "$(xdotool getwindowgeometry "$W" | awk '/Geometry/ {print $2}')" = 536x401 ] && break
    sleep 0.1
  done
  [ "$(xdotool getwindowgeometry "$W" | awk '/Geometry/ {print $2}')" = 536x401 ] ||
    e2e_fail "the program did not open the table window"
  no_box "start-up"
}

# Closes the table window in the middle of a copy; the program must end at
# once, with the exit status of a normal end.
close_mid_copy() {
  local what=$1 start
  start=$(now_ms)
  close_window "$W" || e2e_fail "$what: the window could not be closed"
  e2e_wait_exit 10 || e2e_fail "$what: the program still runs 10 s after its window closed"
  [ "$APP_STATUS" -eq 0 ] || e2e_fail "$what: the program ended with status $APP_STATUS"
  echo "e2e: $what: closed mid-copy, the program ended after $(($(now_ms) - start)) ms"
}

# Both sides: a copy of the sample folder, and a private data source set up
# like the sample one.
mkdir -p "$FOX" "$WORK/source"
cp "$SAMPLES"/* "$FOX/"
cp "$SAMPLES"/* "$WORK/source/"
# Beside the samples, a table with a blob field and backslashes, which a
# database that reads backslash escapes would change.
for folder in "$FOX" "$WORK/source"; do
  "$FOXSQL" "$folder" <<'SQL' >/dev/null || e2e_fail "foxsql could not write the extras table"
CREATE TABLE extras (id I NOT NULL, path V(40) NULL, picture W NULL);
INSERT INTO extras VALUES (1, 'C:\Orders\new\', 0h89504E470D0A1A0A00FF);
INSERT INTO extras VALUES (2, 'a\nb \x41 \''', NULL);
SQL
done
e2e_sqlite_source E2eTransfer "$DB" JournalMode=WAL SyncPragma=FULL StepAPI=1
e2e_settings "" "$FOX" E2eTransfer 2
TABLES=$(fox_tables "$FOX")
declare -A SOURCE_COUNT
for table in $TABLES; do SOURCE_COUNT[$table]=$($ROWS count "fox:$FOX" "$table"); done
[ "$(echo "$TABLES" | grep -c .)" -ge 3 ] || e2e_fail "the sample folder holds only: $TABLES"

xvfb_start || exit 77
start_table_window

# ---- 1. All sample tables to the SQL side and back ----
# FoxPro side, Frame1 at (120, 120): first row current, Select All
# (PushButton10 240, 2100, 1600, 400), send (PushButton3 240, 2600, 3330, 400).
click_first_row 120 120
click_control 120 120 240 2100 1600 400
start=$(now_ms)
click_control 120 120 240 2600 3330 400
wait_until 30 "FoxPro to SQL" sent_to_sql
echo "e2e: FoxPro to SQL: $(echo $TABLES) in $(($(now_ms) - start)) ms"
for table in $TABLES; do
  counts=$($ROWS compare "fox:$FOX" "sql:$DB" "$table") || e2e_fail "$table differs on the SQL side"
  echo "e2e:   $table: $counts rows (FoxPro, SQL)"
done
# A few values as the sample holds them: apostrophes, accents, line breaks,
# logicals as BIT, an empty memo as NULL, integers as numbers.
[ "$(sqlite3 "$DB" "SELECT company FROM customers WHERE cust_id = 3")" = "Bon app'" ] ||
  e2e_fail "the apostrophe did not arrive"
[ "$(sqlite3 "$DB" "SELECT hex(notes) FROM customers WHERE cust_id = 3")" = \
  "$(printf 'Ask for Laurence.\r\nInvoices in French.' | od -An -tx1 | tr -d ' \n' | tr a-f A-F)" ] ||
  e2e_fail "the two-line note did not arrive as it was"
[ "$(sqlite3 "$DB" "SELECT contact, typeof(cust_id), active, typeof(notes) FROM customers WHERE cust_id = 5")" = \
  "Søren Ågård|integer|1|text" ] || e2e_fail "customer 5 did not arrive as it was"
[ "$(sqlite3 "$DB" "SELECT active, typeof(notes) FROM customers WHERE cust_id = 7")" = "0|null" ] ||
  e2e_fail "customer 7's logical or empty note did not arrive as 0 and NULL"
[ "$(sqlite3 "$DB" "SELECT price FROM products WHERE prod_id = 2")" = 7.45 ] ||
  e2e_fail "a currency value did not arrive as a number"
[ "$(sqlite3 "$DB" "SELECT path, picture FROM extras WHERE id = 1")" = \
  'C:\Orders\new\|0x89504E470D0A1A0A00FF' ] ||
  e2e_fail "the backslashes or the blob of extras did not arrive as they were"
[ "$(sqlite3 "$DB" "SELECT path FROM extras WHERE id = 2")" = "a\\nb \\x41 \\'" ] ||
  e2e_fail "backslash escapes of extras did not arrive as written"

# SQL side, Frame2 at (4080, 120): first row current, Select All (PushButton8
# 240, 2100, 1600, 405), send (PushButton4 240, 2600, 3330, 405) over the
# FoxPro tables of the same names.
click_first_row 4080 120
click_control 4080 120 240 2100 1600 405
start=$(now_ms)
CLICK_PAUSE=0 click_control 4080 120 240 2600 3330 405
answer_overwrite_questions "$(echo "$TABLES" | grep -c .)"
wait_until 30 "SQL to FoxPro" released
no_box "SQL to FoxPro"
echo "e2e: SQL to FoxPro: $(echo $TABLES) in $(($(now_ms) - start)) ms, questions included"
[ "$(fox_tables "$FOX")" = "$TABLES" ] || e2e_fail "FoxPro tables now: $(fox_tables "$FOX")"
for table in $TABLES; do
  # Every column comes back as a memo.
  types=$("$FOXSQL" "$FOX" ".schema $table" | tr -d '\r' | awk -F, 'NR > 1 {print $3}' | sort -u)
  [ "$types" = M ] || e2e_fail "$table came back with field types $(echo $types)"
  counts=$($ROWS compare "sql:$DB" "fox:$FOX" "$table") || e2e_fail "$table differs on the FoxPro side"
  $ROWS compare "fox:$WORK/source" "fox:$FOX" "$table" >/dev/null ||
    e2e_fail "$table differs from the sample after the round trip"
  echo "e2e:   $table: $counts rows (SQL, FoxPro), as in the sample"
done

# Closing the window when nothing runs ends the program normally.
close_window "$W"
e2e_wait_exit 10 || e2e_fail "the program still runs after its window closed"
[ "$APP_STATUS" -eq 0 ] || e2e_fail "the program ended with status $APP_STATUS"

# ---- 2. A large FoxPro table to the SQL side, closed mid-copy ----
/usr/bin/python3 - "$BULK_ROWS" >"$WORK/bulk.sql" <<'PY'
import sys
print("CREATE TABLE bulk (id I NOT NULL, name C(30) NULL, amount N(12,2) NULL, flag L NOT NULL,"
      " note M NULL);")
for i in range(1, int(sys.argv[1]) + 1):
    note = "NULL" if i % 7 == 0 else f"'Note {i}'"
    print(f"INSERT INTO bulk VALUES ({i}, 'Row {i} O''Brien', {i * 37 % 100000 / 100:.2f},"
          f" {'.T.' if i % 3 else '.F.'}, {note});")
PY
"$FOXSQL" "$FOX" <"$WORK/bulk.sql" || e2e_fail "foxsql could not write the large table"
start_table_window
# "bulk" sorts first in the FoxPro list: it alone is selected.
click_first_row 120 120
start=$(now_ms)
CLICK_PAUSE=0 click_control 120 120 240 2600 3330 400
shots=0
while :; do
  no_box "FoxPro to SQL, large table"
  sent=$(sql_rows bulk)
  [ "$sent" -lt "$BULK_ROWS" ] || e2e_fail "the large table was copied before a screenshot showed the bar moving"
  [ $(($(now_ms) - start)) -lt 60000 ] || e2e_fail "no screenshot showed the bar partly filled"
  import -window "$W" "$WORK/progress.png"
  shots=$((shots + 1))
  fill=$(bar_fill "$WORK/progress.png")
  [ "$sent" -gt 0 ] && [ "$fill" -ge 10 ] && [ "$fill" -le 80 ] && break
  sleep 0.2
done
echo "e2e: progress screenshot $shots: bar $fill% filled, $sent of $BULK_ROWS rows on the SQL side"
colours=$(convert "$WORK/progress.png" -format %k info:)
[ "$colours" -gt 8 ] || e2e_fail "the progress screenshot is blank ($colours colours)"
if [ "${QUILLOMAR_UPDATE_DOCS:-0}" = 1 ]; then
  mkdir -p "$SOURCE_DIR/docs"
  cp "$WORK/progress.png" "$SOURCE_DIR/docs/transfer-progress.png"
  echo "e2e: wrote docs/transfer-progress.png"
fi
close_mid_copy "FoxPro to SQL"
[ "$(sqlite3 "$DB" "PRAGMA integrity_check")" = ok ] || e2e_fail "the database is damaged"
counts=$($ROWS compare "fox:$FOX" "sql:$DB" bulk --prefix) ||
  e2e_fail "the SQL side does not hold the first rows of the large table"
echo "e2e:   bulk: $counts rows (FoxPro, SQL), every row on the SQL side as sent"
for table in $TABLES; do
  $ROWS compare "fox:$FOX" "sql:$DB" "$table" >/dev/null || e2e_fail "$table changed on the SQL side"
done

# ---- 3. A large SQL table to the FoxPro side, closed mid-copy ----
sqlite3 "$DB" "CREATE TABLE archive (id INTEGER, label TEXT, amount REAL, note TEXT);
  WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < $ARCHIVE_ROWS)
  INSERT INTO archive SELECT i, 'Label ' || i || ' d''Arc', i * 0.25,
    CASE WHEN i % 5 = 0 THEN NULL ELSE 'Line one ' || i || char(13, 10) || 'line two' END FROM n;"
start_table_window
# "archive" sorts first in the SQL list: it alone is selected.
click_first_row 4080 120
start=$(now_ms)
CLICK_PAUSE=0 click_control 4080 120 240 2600 3330 405
# Close once the new table holds a few thousand rows (17 bytes each).
archive_growing() { [ "$(stat -c %s "$FOX/archive.dbf" 2>/dev/null || echo 0)" -gt 65536 ]; }
wait_until 60 "SQL to FoxPro, large table" archive_growing
close_mid_copy "SQL to FoxPro"
records=$($ROWS dbf-header "$FOX/archive.dbf") || e2e_fail "archive.dbf does not hold what its header counts"
counts=$($ROWS compare "sql:$DB" "fox:$FOX" archive --prefix) ||
  e2e_fail "the FoxPro side does not hold the first rows of the large table"
[ "${counts#* }" = "$records" ] || e2e_fail "foxsql read ${counts#* } rows of $records"
echo "e2e:   archive: $counts rows (SQL, FoxPro), every row on the FoxPro side as sent"
[ "$(fox_tables "$FOX" | grep -c .)" -eq $(($(echo "$TABLES" | grep -c .) + 2)) ] ||
  e2e_fail "FoxPro tables now: $(fox_tables "$FOX")"

echo "e2e: passed"
