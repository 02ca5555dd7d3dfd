#!/usr/bin/env bash
# quillomar-copy end to end, without a display: bad usage, the sample tables
# copied to a SQLite data source and back (both sides read with foxsql and
# sqlite3), the overwrite answers, a hidden table named on the command line,
# a failing step, the statements PostgreSQL receives in rows mode and in
# batch mode, and Ctrl-C in the middle of a large table in both modes.
#
# Usage: copy_tool_test.sh COPY SOURCE_DIR FOXSQL MAKE_SAMPLES
# Needs the test environment (scripts/test-env.sh); exits 77 (skipped)
# without it or without sqlite3.
set -euo pipefail
COPY=$(realpath "$1")
SOURCE_DIR=$2
FOXSQL=$(realpath "$3")
MAKE_SAMPLES=$(realpath "$4")
[ -n "${QUILLOMAR_DSN_SQLITE:-}" ] || { echo "copy test: no test environment; skipped"; exit 77; }
command -v sqlite3 >/dev/null || { echo "copy test: sqlite3 is missing; skipped"; exit 77; }
ROWS="/usr/bin/python3 $SOURCE_DIR/tests/e2e/table_rows.py $FOXSQL"
WORK=$(mktemp -d "${TMPDIR:-/tmp}/copy-test.XXXXXX")
trap 'rm -rf "$WORK"' EXIT
fail() { echo "copy test: FAILED: $*" >&2; exit 1; }
unset DISPLAY WAYLAND_DISPLAY

# A private SQLite data source beside the environment's ones, in a copy of
# its data source file so that runs do not see each other's.
DB=$WORK/copy.db
cp "$ODBCINI" "$WORK/odbc.ini"
export ODBCINI=$WORK/odbc.ini
cat >>"$ODBCINI" <<INI

[CopyToolSqlite]
Driver=SQLite3
Database=$DB
JournalMode=WAL
SyncPragma=FULL
StepAPI=1
INI
DSN=CopyToolSqlite

# Runs the program; sets OUT (standard error) and STATUS.
run() {
  STATUS=0
  OUT=$("$COPY" "$@" 2>&1 </dev/null) || STATUS=$?
}
expect_status() {
  [ "$STATUS" -eq "$1" ] || fail "$2: status $STATUS, expected $1; output:
$OUT"
}

! ldd "$COPY" | grep -q Qt6Widgets || fail "the program links Qt Widgets"

# ---- 1. Bad usage: status 2 with the usage text, nothing copied ----
FOX=$WORK/fox
"$MAKE_SAMPLES" "$FOX" >/dev/null
while IFS='|' read -r what args; do
  # shellcheck disable=SC2086  # the arguments are meant to split
  run $args
  expect_status 2 "$what"
  grep -q '^usage: quillomar-copy' <<<"$OUT" || fail "$what: no usage text"
done <<CASES
no arguments|
no direction|--folder $FOX --dsn $DSN
both directions|--folder $FOX --dsn $DSN --to-sql --to-foxpro
no data source|--folder $FOX --to-sql
both FoxPro sides|--folder $FOX --dbc x.dbc --dsn $DSN --to-sql
bad overwrite word|--folder $FOX --dsn $DSN --to-sql --overwrite maybe
ask without a terminal|--folder $FOX --dsn $DSN --to-sql --overwrite ask
bad mode|--folder $FOX --dsn $DSN --to-sql --mode fast
batch of zero rows|--folder $FOX --dsn $DSN --to-sql --batch 0
unknown option|--folder $FOX --dsn $DSN --to-sql --fast
unknown table|--folder $FOX --dsn $DSN --to-sql customers nosuch
CASES
grep -q "no table 'nosuch' on the FoxPro side" <<<"$OUT" || fail "the unknown table is not named"
[ ! -s "$DB" ] || [ -z "$(sqlite3 "$DB" .tables)" ] || fail "a usage error copied tables"
# A side that cannot be opened is a failure, not bad usage.
run --dbc "$WORK/none.dbc" --dsn "$DSN" --to-sql
expect_status 1 "a missing container"
grep -q "the tables cannot be listed" <<<"$OUT" || fail "no message for a missing container:
$OUT"

# ---- 2. The sample tables to SQLite and back ----
TABLES=$("$FOXSQL" "$FOX" .tables | tr -d '\r' | awk -F, 'NR > 1 && $1 == "TABLE" {print $2}')
run --folder "$FOX" --dsn "$DSN" --to-sql --mode rows
expect_status 0 "FoxPro to SQL"
for table in $TABLES; do
  counts=$($ROWS compare "fox:$FOX" "sql:$DB" "$table") || fail "$table differs on the SQL side"
  grep -q "^$table: ${counts% *} of ${counts% *} rows in" <<<"$OUT" || fail "no summary for $table:
$OUT"
done
# The window's order: the last list entry first.
[ "$(grep -o '^[a-z]*: ' <<<"$OUT" | tr -d ': ' | tr '\n' ' ')" = "$(sort -r <<<"$TABLES" | tr '\n' ' ')" ] ||
  fail "tables were not copied last entry first:
$OUT"
BACK=$WORK/back
mkdir "$BACK"
run --folder "$BACK" --dsn "$DSN" --to-foxpro --mode rows
expect_status 0 "SQL to FoxPro"
for table in $TABLES; do
  $ROWS compare "sql:$DB" "fox:$BACK" "$table" >/dev/null || fail "$table differs on the FoxPro side"
  $ROWS compare "fox:$FOX" "fox:$BACK" "$table" >/dev/null || fail "$table changed on the round trip"
done

# ---- 3. Overwrite answers: no (the default without a terminal), then yes ----
sqlite3 "$DB" "UPDATE customers SET company = 'changed' WHERE cust_id = 1"
run --folder "$FOX" --dsn "$DSN" --to-sql CUSTOMERS
expect_status 0 "overwrite no"
grep -qx "Would you like to overwrite customers? no" <<<"$OUT" || fail "the answer no is not shown:
$OUT"
[ "$(sqlite3 "$DB" "SELECT company FROM customers WHERE cust_id = 1")" = changed ] ||
  fail "the table was replaced after the answer no"
run --folder "$FOX" --dsn "$DSN" --to-sql --overwrite=yes Customers
expect_status 0 "overwrite yes"
$ROWS compare "fox:$FOX" "sql:$DB" customers >/dev/null || fail "the table was not replaced"

# ---- 4. A hidden table by name, and a failing step ----
sqlite3 "$DB" "CREATE TABLE syslog (id INTEGER, msg TEXT); INSERT INTO syslog VALUES (1, 'a'), (2, NULL);"
run --folder "$BACK" --dsn "$DSN" --to-foxpro --quiet SYSLOG
expect_status 0 "a hidden table by name"
$ROWS compare "sql:$DB" "fox:$BACK" syslog >/dev/null || fail "syslog differs on the FoxPro side"
# syslog is on both sides but hidden from the SQL list: no question, and
# the CREATE TABLE fails on the SQL side; the rows go on into the old table.
run --folder "$BACK" --dsn "$DSN" --to-sql --quiet syslog
expect_status 1 "a failing CREATE TABLE"
grep -q '^sql: CREATE TABLE "syslog"' <<<"$OUT" || fail "the report has no sql: line:
$OUT"
grep -q '^syslog: 2 of 2 rows in .*, 1 failure$' <<<"$OUT" || fail "the failure is not counted:
$OUT"
[ "$(sqlite3 "$DB" "SELECT count(*) FROM syslog")" = 4 ] || fail "the rows did not go on"

# ---- 5. Rows mode on PostgreSQL: one INSERT per row, in autocommit ----
if [ -n "${QUILLOMAR_DSN_PG:-}" ] && [ -f "${QUILLOMAR_PG_LOG:-}" ]; then
  before=$(wc -l <"$QUILLOMAR_PG_LOG")
  run --folder "$FOX" --dsn "$QUILLOMAR_DSN_PG" --to-sql --mode rows --overwrite yes orders
  expect_status 0 "orders to PostgreSQL"
  sleep 0.5
  log=$(tail -n +"$((before + 1))" "$QUILLOMAR_PG_LOG")
  count=$($ROWS count "fox:$FOX" orders)
  [ "$(grep -c 'INSERT INTO "orders" VALUES(' <<<"$log")" -eq "$count" ] ||
    fail "PostgreSQL did not receive one INSERT per row:
$log"
  grep -q 'CREATE TABLE "orders"' <<<"$log" || fail "no CREATE TABLE in the statement log"
  ! grep -Eq 'statement: (BEGIN|COMMIT)' <<<"$log" || fail "rows mode opened a transaction"
  echo "copy test: PostgreSQL received $count INSERTs for $count rows, in autocommit"
fi

# ---- 6. Ctrl-C in the middle of a large table ----
BULK_ROWS=${COPY_TEST_BULK_ROWS:-20000}
/usr/bin/python3 - "$BULK_ROWS" >"$WORK/big.sql" <<'PY'
import sys
print("CREATE TABLE big (id I NOT NULL, name C(30) NULL, note M NULL);")
for i in range(1, int(sys.argv[1]) + 1):
    print(f"INSERT INTO big VALUES ({i}, 'Row {i} O''Brien', 'Note\\t{i}');")
PY
"$FOXSQL" "$FOX" <"$WORK/big.sql" >/dev/null || fail "foxsql could not write the large table"
"$COPY" --folder "$FOX" --dsn "$DSN" --to-sql --mode rows big 2>"$WORK/big.err" </dev/null &
pid=$!
for _ in $(seq 300); do
  [ "$(sqlite3 "$DB" "SELECT count(*) FROM big" 2>/dev/null || echo 0)" -gt 100 ] && break
  sleep 0.1
done
kill -INT "$pid"
STATUS=0
wait "$pid" || STATUS=$?
OUT=$(cat "$WORK/big.err")
expect_status 130 "Ctrl-C"
sent=$(sed -n 's/^  big: \([0-9,]*\) of [0-9,]* rows, stopped$/\1/p' <<<"$OUT" | tr -d ,)
[ -n "$sent" ] || fail "Ctrl-C did not print how far the table got:
$OUT"
[ "$sent" -lt "$BULK_ROWS" ] || fail "the copy ended before Ctrl-C"
[ "$(sqlite3 "$DB" "PRAGMA integrity_check")" = ok ] || fail "the database is damaged"
counts=$($ROWS compare "fox:$FOX" "sql:$DB" big --prefix) || fail "the rows sent are not the first rows"
[ "${counts#* }" = "$sent" ] || fail "$sent rows reported, ${counts#* } on the SQL side"
echo "copy test: Ctrl-C after $sent of $BULK_ROWS rows"

# ---- 7. Ctrl-C in batch mode: the open batch is committed, whole rows only ----
sqlite3 "$DB" "DROP TABLE big"
"$COPY" --folder "$FOX" --dsn "$DSN" --to-sql --batch 50 big 2>"$WORK/big.err" </dev/null &
pid=$!
for _ in $(seq 300); do
  [ "$(sqlite3 "$DB" "SELECT count(*) FROM big" 2>/dev/null || echo 0)" -gt 100 ] && break
  sleep 0.05
done
kill -INT "$pid"
STATUS=0
wait "$pid" || STATUS=$?
OUT=$(cat "$WORK/big.err")
expect_status 130 "Ctrl-C in batch mode"
sent=$(sed -n 's/^  big: \([0-9,]*\) of [0-9,]* rows, stopped$/\1/p' <<<"$OUT" | tr -d ,)
[ -n "$sent" ] || fail "Ctrl-C in batch mode did not print how far the table got:
$OUT"
[ "$sent" -lt "$BULK_ROWS" ] || fail "the batch copy ended before Ctrl-C"
[ "$(sqlite3 "$DB" "PRAGMA integrity_check")" = ok ] || fail "the database is damaged"
counts=$($ROWS compare "fox:$FOX" "sql:$DB" big --prefix) || fail "the rows committed are not the first rows"
[ "${counts#* }" = "$sent" ] || fail "batch mode: $sent rows reported, ${counts#* } on the SQL side"
echo "copy test: Ctrl-C in batch mode after $sent of $BULK_ROWS rows, all committed"

# ---- 8. Batch mode on PostgreSQL: the rows go through COPY ----
if [ -n "${QUILLOMAR_DSN_PG:-}" ] && [ -f "${QUILLOMAR_PG_LOG:-}" ]; then
  before=$(wc -l <"$QUILLOMAR_PG_LOG")
  run --folder "$FOX" --dsn "$QUILLOMAR_DSN_PG" --to-sql --overwrite yes --batch 7 orders
  expect_status 0 "orders to PostgreSQL in batch mode"
  ! grep -q "COPY cannot be used" <<<"$OUT" || fail "COPY was not used:
$OUT"
  sleep 0.5
  log=$(tail -n +"$((before + 1))" "$QUILLOMAR_PG_LOG")
  count=$($ROWS count "fox:$FOX" orders)
  [ "$(grep -c 'statement: COPY "orders" FROM STDIN' <<<"$log")" -eq "$(((count + 6) / 7))" ] ||
    fail "PostgreSQL did not receive one COPY per batch of 7 rows:
$log"
  ! grep -q 'INSERT INTO "orders"' <<<"$log" || fail "batch mode sent INSERTs on PostgreSQL"
  echo "copy test: PostgreSQL received $(((count + 6) / 7)) COPY batches for $count rows"
fi
echo "copy test: passed"
