#!/usr/bin/env bash
# The Windows build, tested under Wine: cross-builds the tools and the unit
# tests (scripts/build-windows.sh --tests), then runs in one private Wine
# prefix (build/windows/wine):
#   1. the engine's, foxsql's and the data-access layer's unit tests;
#   2. foxsql.exe over every FoxPro fixture (.tables, then .schema and SELECT *
#      of each table and view), compared byte for byte with the Linux foxsql:
#      standard output, standard error and exit status;
#   3. quillomar-copy.exe copying the sample tables to a SQLite data source and
#      back, compared with the Linux quillomar-copy doing the same: the SQLite
#      databases' dumps, and the tables written back, file for file.
# Wine's ODBC (odbc32) hands the calls to the host's unixODBC, which reads the
# same ODBCSYSINI/ODBCINI files as the Linux tests.
#
# Usage: scripts/test-windows.sh [LINUX_BUILD]   (default build/release, which
# must hold foxsql, quillomar-copy and make_samples). Runs inside the test
# environment (scripts/test-env.sh), which it sources when it is not set up.
# Prints "windows: N passed, N failed" last; exits non-zero on any failure,
# also when Wine cannot be installed.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
LINUX=$(realpath "${1:-build/release}")
BUILD=$ROOT/build/windows

passed=0
failed=0
pass() { passed=$((passed + 1)); echo "windows: ok: $*"; }
fail() { failed=$((failed + 1)); echo "windows: FAILED: $*"; }

# ---- Wine: installed, or the run fails here ----
if ! command -v wine >/dev/null || ! dpkg-query -W -f='${Status}' wine64 2>/dev/null |
    grep -q "install ok installed"; then
  echo "Installing: wine wine64"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update -qq
  if ! DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq wine wine64 >/dev/null; then
    echo "windows: FAILED: wine could not be installed" >&2
    echo "windows: 0 passed, 1 failed"
    exit 1
  fi
fi
command -v wine >/dev/null || { echo "windows: FAILED: no wine after installing it" >&2; exit 1; }

echo "=== windows: build"
"$ROOT/scripts/build-windows.sh" --tests

for tool in tools/foxsql/foxsql bin/quillomar-copy tools/make_samples/make_samples; do
  [ -x "$LINUX/$tool" ] || { echo "windows: FAILED: $LINUX/$tool is missing" >&2; exit 1; }
done
LINUX_FOXSQL=$LINUX/tools/foxsql/foxsql
LINUX_COPY=$LINUX/bin/quillomar-copy
FOXSQL_EXE=$BUILD/bin/foxsql.exe
COPY_EXE=$BUILD/bin/quillomar-copy.exe

if [ -z "${QUILLOMAR_DSN_SQLITE:-}" ]; then
  # shellcheck source=scripts/test-env.sh
  source "$ROOT/scripts/test-env.sh"
fi

# One prefix for the whole run, made once (its first start takes seconds);
# no Mono or Gecko, nothing on the display.
export WINEPREFIX=$BUILD/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
unset DISPLAY WAYLAND_DISPLAY
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "=== windows: making the Wine prefix"
  wineboot -i >/dev/null 2>&1 || true
fi
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
wineserver -p >/dev/null 2>&1 || true  # one server for every program of the run

WORK=$(mktemp -d "${TMPDIR:-/tmp}/windows-test.XXXXXX")
trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$WORK"' EXIT

# ---- 1. Unit tests ----
echo "=== windows: unit tests under Wine"
mapfile -t tests < <(sed -n '/^WINDOWS_TESTS=(/,/)/p' scripts/build-windows.sh |
                     tr -d '()' | sed 's/WINDOWS_TESTS=//' | tr ' ' '\n' | grep -v '^$')
unit_cases=0
unit_failed=0
unit_skipped=0
for t in "${tests[@]}"; do
  exe=$(find "$BUILD/cmake" -name "$t.exe" -type f | head -1)
  if [ -z "$exe" ]; then
    fail "$t: not built"
    continue
  fi
  # Counted from GoogleTest's own lines: one "[       OK ]", "[  FAILED  ]"
  # or "[  SKIPPED ]" with a time per case.
  # From the scratch folder, so that nothing a test writes lands in the tree.
  if (cd "$WORK" && timeout 300 wine "$exe") >"$WORK/$t.log" 2>&1; then
    status=0
  else
    status=$?
  fi
  tr -d '\r' <"$WORK/$t.log" >"$WORK/$t.txt"  # the test programs write CR LF
  ok=$(grep -cE '^\[       OK \] .* \([0-9]+ ms\)$' "$WORK/$t.txt" || true)
  failures=$(grep -cE '^\[  FAILED  \] .* \([0-9]+ ms\)$' "$WORK/$t.txt" || true)
  skips=$(grep -cE '^\[  SKIPPED \] .* \([0-9]+ ms\)$' "$WORK/$t.txt" || true)
  cases=$((ok + failures + skips))
  unit_cases=$((unit_cases + cases))
  unit_failed=$((unit_failed + failures))
  unit_skipped=$((unit_skipped + skips))
  if [ "$status" -eq 0 ] && [ "$failures" -eq 0 ] && [ "$cases" -gt 0 ]; then
    pass "$t: $((cases - skips)) passed, $skips skipped"
  else
    fail "$t: status $status, $failures of $cases failed"
    grep -E '^\[  FAILED|Failure|error' "$WORK/$t.log" | head -20 || true
  fi
done
echo "windows: unit test cases: $((unit_cases - unit_failed - unit_skipped)) passed," \
     "$unit_failed failed, $unit_skipped skipped"

# ---- 2. foxsql.exe against the Linux foxsql over the fixtures ----
echo "=== windows: foxsql.exe over the FoxPro fixtures"
FIXTURES=$ROOT/../shared/fixtures/vfp
if [ ! -d "$FIXTURES" ]; then
  fail "the FoxPro fixtures are absent ($FIXTURES)"
else
  sources=()
  while IFS= read -r dbc; do sources+=("$dbc"); done < <(find "$FIXTURES" -iname '*.dbc' | sort)
  while IFS= read -r dir; do sources+=("$dir"); done < <(
    find "$FIXTURES" -iname '*.dbf' -printf '%h\n' | sort -u)
  for src in "${sources[@]}"; do
    name=${src#"$FIXTURES"/}
    # The statements: the list, then each table's fields and rows.
    statements=(.tables)
    while IFS=, read -r _ table; do
      statements+=(".schema $table" "SELECT * FROM $table")
    done < <("$LINUX_FOXSQL" "$src" .tables 2>/dev/null | tail -n +2)
    linux_status=0
    "$LINUX_FOXSQL" "$src" "${statements[@]}" >"$WORK/l.out" 2>"$WORK/l.err" || linux_status=$?
    windows_status=0
    wine "$FOXSQL_EXE" "$src" "${statements[@]}" >"$WORK/w.out" 2>"$WORK/w.err" ||
      windows_status=$?
    if [ "$linux_status" -ne "$windows_status" ]; then
      fail "foxsql $name: exit status $windows_status on Windows, $linux_status on Linux"
    elif ! cmp -s "$WORK/l.out" "$WORK/w.out"; then
      fail "foxsql $name: standard output differs"
      diff "$WORK/l.out" "$WORK/w.out" | head -10 || true
    elif ! cmp -s "$WORK/l.err" "$WORK/w.err"; then
      fail "foxsql $name: standard error differs"
      diff "$WORK/l.err" "$WORK/w.err" | head -10 || true
    else
      pass "foxsql $name: ${#statements[@]} statements, $(wc -c <"$WORK/l.out") bytes alike"
    fi
  done
fi

# ---- 3. quillomar-copy.exe: the samples to SQLite and back ----
echo "=== windows: quillomar-copy.exe round trip through SQLite"
cp "$ODBCINI" "$WORK/odbc.ini"
export ODBCINI=$WORK/odbc.ini
for side in Linux Windows; do
  cat >>"$ODBCINI" <<INI

[RoundTrip$side]
Driver=SQLite3
Database=$WORK/$side.db
JournalMode=WAL
SyncPragma=NORMAL
StepAPI=1
INI
done
"$LINUX/tools/make_samples/make_samples" "$WORK/samples" >/dev/null
mkdir -p "$WORK/back-Linux" "$WORK/back-Windows"
copy_status=0
"$LINUX_COPY" --folder "$WORK/samples" --dsn RoundTripLinux --to-sql --quiet \
  >"$WORK/copy-l1.log" 2>&1 || copy_status=1
wine "$COPY_EXE" --folder "$WORK/samples" --dsn RoundTripWindows --to-sql --quiet \
  >"$WORK/copy-w1.log" 2>&1 || copy_status=2
"$LINUX_COPY" --folder "$WORK/back-Linux" --dsn RoundTripLinux --to-foxpro --quiet \
  >"$WORK/copy-l2.log" 2>&1 || copy_status=3
wine "$COPY_EXE" --folder "$WORK/back-Windows" --dsn RoundTripWindows --to-foxpro --quiet \
  >"$WORK/copy-w2.log" 2>&1 || copy_status=4
if [ "$copy_status" -ne 0 ]; then
  fail "quillomar-copy round trip: a copy failed (step $copy_status)"
  cat "$WORK"/copy-*.log
else
  pass "quillomar-copy round trip: both copies in both directions succeeded"
fi
dump() { sqlite3 "$1" .dump; }
if [ "$(dump "$WORK/Linux.db")" = "$(dump "$WORK/Windows.db")" ] &&
   [ -n "$(dump "$WORK/Linux.db" | grep -m1 INSERT)" ]; then
  pass "quillomar-copy to SQLite: the two databases hold the same tables and rows"
else
  fail "quillomar-copy to SQLite: the databases differ"
  diff <(dump "$WORK/Linux.db") <(dump "$WORK/Windows.db") | head -10 || true
fi
tables=$("$LINUX_FOXSQL" "$WORK/samples" .tables | tail -n +2 | cut -d, -f2)
same_rows=1
for table in $tables; do
  a=$("$LINUX_FOXSQL" "$WORK/back-Linux" "SELECT * FROM $table" 2>&1)
  b=$("$LINUX_FOXSQL" "$WORK/back-Windows" "SELECT * FROM $table" 2>&1)
  [ -n "$a" ] && [ "$a" = "$b" ] || { same_rows=0; echo "table $table differs"; }
done
if [ "$same_rows" -eq 1 ] && [ -n "$tables" ]; then
  pass "quillomar-copy back to FoxPro: the same rows in every table ($(echo $tables))"
else
  fail "quillomar-copy back to FoxPro: the tables read differently"
fi
if diff -r "$WORK/back-Linux" "$WORK/back-Windows" >/dev/null; then
  pass "quillomar-copy back to FoxPro: the files are byte for byte the Linux build's"
else
  fail "quillomar-copy back to FoxPro: the files differ from the Linux build's"
  diff -r "$WORK/back-Linux" "$WORK/back-Windows" | head -5 || true
fi

echo "windows: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
