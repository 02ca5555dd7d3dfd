# Test environment, sourced by test.sh (or by hand: `source scripts/test-env.sh`).
#
# Creates a private temporary folder with its own unixODBC driver and data
# source files, starts a throwaway PostgreSQL 15 cluster and a throwaway MariaDB
# server inside it (unix sockets only), and exports what the tests read:
#
#   QUILLOMAR_DSN_SQLITE   data source on a SQLite database file (WAL, FULL sync)
#   QUILLOMAR_DSN_PG       data source on the PostgreSQL cluster
#   QUILLOMAR_DSN_MARIA    data source on the MariaDB server as a user writes it
#                          (default sql_mode, no InitStmt)
#   QUILLOMAR_DSN_MARIA_ANSI   the same with ANSI_QUOTES set by InitStmt
#   QUILLOMAR_DSN_MARIA_NOBS   the same with NO_BACKSLASH_ESCAPES set by InitStmt
#   QUILLOMAR_DSN_PG_DOWN  data source on a PostgreSQL socket where no server runs
#   QUILLOMAR_DSN_NODRIVER data source whose driver library does not exist
#   QUILLOMAR_PG_LOG       PostgreSQL server log (log_statement=all)
#   QUILLOMAR_MARIA_LOG    MariaDB general query log
#   QUILLOMAR_TEST_DIR     the temporary folder
#   QUILLOMAR_LOCPATH      locale folder holding de_DE.UTF-8 (decimal comma), for
#                          tests that set LOCPATH to it
#   ODBCSYSINI ODBCINI LANG XDG_RUNTIME_DIR
#
# A trap stops both servers and removes the folder when the sourcing shell
# exits, also on failure or Ctrl-C. Calling quillomar_env_stop stops early.

quillomar_env_log() { echo "test-env: $*" >&2; }

quillomar_env_stop() {
  local dir=${QUILLOMAR_TEST_DIR:-}
  [ -n "$dir" ] && [ -d "$dir" ] || return 0
  if [ -f "$dir/pg/data/postmaster.pid" ]; then
    quillomar_env_as_pg /usr/lib/postgresql/15/bin/pg_ctl -D "$dir/pg/data" -m immediate \
      -w stop >/dev/null 2>&1 || true
  fi
  if [ -f "$dir/maria/pid" ]; then
    local pid
    pid=$(cat "$dir/maria/pid" 2>/dev/null || true)
    if [ -n "$pid" ]; then
      kill "$pid" 2>/dev/null || true
      for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
      kill -9 "$pid" 2>/dev/null || true
    fi
  fi
  rm -rf "$dir"
  QUILLOMAR_TEST_DIR=
}

# Runs a PostgreSQL program as a non-root user: the server refuses to run as
# root, so root runs it as "postgres".
quillomar_env_as_pg() {
  if [ "$(id -u)" -eq 0 ]; then
    runuser -u postgres -- "$@"
  else
    "$@"
  fi
}

quillomar_env_start_pg() {
  local dir=$1 bin=/usr/lib/postgresql/15/bin
  mkdir -p "$dir/pg/sock"
  [ "$(id -u)" -eq 0 ] && chown -R postgres "$dir/pg"
  quillomar_env_as_pg "$bin/initdb" -D "$dir/pg/data" -A trust -U postgres -E UTF8 \
    --locale=C.UTF-8 -N >"$dir/pg/initdb.log" 2>&1 || {
    cat "$dir/pg/initdb.log" >&2
    return 1
  }
  quillomar_env_as_pg "$bin/pg_ctl" -D "$dir/pg/data" -l "$dir/pg/server.log" -w -t 60 \
    -o "-p 5432 -c listen_addresses= -k $dir/pg/sock -c log_statement=all -c fsync=off" \
    start >/dev/null || {
    cat "$dir/pg/server.log" >&2
    return 1
  }
  QUILLOMAR_PG_LOG=$dir/pg/server.log
}

quillomar_env_start_maria() {
  local dir=$1 user
  user=$(id -un)
  mkdir -p "$dir/maria"
  mariadb-install-db --no-defaults --auth-root-authentication-method=normal --user="$user" \
    --datadir="$dir/maria/data" --skip-test-db >"$dir/maria/install.log" 2>&1 || {
    cat "$dir/maria/install.log" >&2
    return 1
  }
  # setsid: the server gets its own process group, so a Ctrl-C in the shell
  # reaches it only through the trap's orderly stop.
  setsid mariadbd --no-defaults --user="$user" --datadir="$dir/maria/data" \
    --socket="$dir/maria/sock" --skip-networking --pid-file="$dir/maria/pid" \
    --log-error="$dir/maria/error.log" --general-log=1 \
    --general-log-file="$dir/maria/query.log" --character-set-server=utf8mb4 \
    --collation-server=utf8mb4_unicode_ci --innodb-buffer-pool-size=32M \
    --innodb-flush-log-at-trx-commit=2 --skip-log-bin </dev/null >/dev/null 2>&1 &
  local ready=0
  for _ in $(seq 300); do
    if mariadb-admin --no-defaults -S "$dir/maria/sock" -u root ping >/dev/null 2>&1; then
      ready=1
      break
    fi
    sleep 0.1
  done
  if [ $ready -ne 1 ]; then
    cat "$dir/maria/error.log" >&2
    return 1
  fi
  mariadb --no-defaults -S "$dir/maria/sock" -u root \
    -e "CREATE DATABASE quillomar CHARACTER SET utf8mb4 COLLATE utf8mb4_unicode_ci" || return 1
  QUILLOMAR_MARIA_LOG=$dir/maria/query.log
}

quillomar_env_write_odbc() {
  local dir=$1 lib=/usr/lib/x86_64-linux-gnu/odbc
  mkdir -p "$dir/odbc" "$dir/sqlite"
  # DontDLClose keeps each driver library loaded until the process ends, so
  # that the leak checker can name the driver a leak comes from.
  cat >"$dir/odbc/odbcinst.ini" <<EOF
[ODBC]
DontDLClose=1

[SQLite3]
Description=SQLite3 ODBC Driver
Driver=$lib/libsqlite3odbc.so
Setup=$lib/libsqlite3odbc.so
DontDLClose=1

[PostgreSQL Unicode]
Description=PostgreSQL ODBC driver (Unicode version)
Driver=$lib/psqlodbcw.so
Debug=0
CommLog=0
DontDLClose=1

[MariaDB Unicode]
Description=MariaDB Connector/ODBC (Unicode)
Driver=$lib/libmaodbc.so
Threading=0
DontDLClose=1

[Missing Driver]
Description=A driver whose library is not installed
Driver=$dir/odbc/no-such-driver.so
EOF
  cat >"$dir/odbc/odbc.ini" <<EOF
[QuillomarTestSqlite]
Driver=SQLite3
Database=$dir/sqlite/test.db
JournalMode=WAL
SyncPragma=FULL
StepAPI=1
Timeout=20000

[QuillomarTestPg]
Driver=PostgreSQL Unicode
Servername=$dir/pg/sock
Port=5432
Database=postgres
Username=postgres
ConnSettings=SET synchronous_commit TO off

[QuillomarTestMaria]
Driver=MariaDB Unicode
Socket=$dir/maria/sock
Database=quillomar
User=root
Charset=utf8mb4

[QuillomarTestMariaAnsi]
Driver=MariaDB Unicode
Socket=$dir/maria/sock
Database=quillomar
User=root
Charset=utf8mb4
InitStmt=SET SESSION sql_mode = CONCAT(@@sql_mode, ',ANSI_QUOTES')

[QuillomarTestMariaNoBs]
Driver=MariaDB Unicode
Socket=$dir/maria/sock
Database=quillomar
User=root
Charset=utf8mb4
InitStmt=SET SESSION sql_mode = CONCAT(@@sql_mode, ',NO_BACKSLASH_ESCAPES')

[QuillomarTestPgDown]
Driver=PostgreSQL Unicode
Servername=$dir/pg-down
Port=5432
Database=postgres
Username=postgres

[QuillomarTestNoDriver]
Driver=Missing Driver
Database=$dir/sqlite/never.db
EOF
  mkdir -p "$dir/pg-down"
}

# A German locale (decimal comma) in the test folder: tests that check that
# numbers keep their "." whatever the user's locale set LOCPATH to it.
# localedef exits 1 on mere warnings, so the result is checked instead.
quillomar_env_make_locale() {
  local dir=$1/locale
  mkdir -p "$dir"
  localedef -i de_DE -f UTF-8 "$dir/de_DE.UTF-8" >/dev/null 2>&1 || true
  if [ -f "$dir/de_DE.UTF-8/LC_NUMERIC" ]; then
    QUILLOMAR_LOCPATH=$dir
  else
    quillomar_env_log "could not make the de_DE.UTF-8 locale"
    return 1
  fi
}

quillomar_env_start() {
  QUILLOMAR_TEST_DIR=$(mktemp -d "${TMPDIR:-/tmp}/quillomar-test.XXXXXX")
  # The PostgreSQL server runs as another user and must reach its folder.
  chmod 755 "$QUILLOMAR_TEST_DIR"
  export QUILLOMAR_TEST_DIR
  trap 'quillomar_env_stop' EXIT
  # A script stops the servers on Ctrl-C, kill, hang-up or a closed output
  # pipe, then dies of the same signal; an interactive shell keeps them
  # across a Ctrl-C at the prompt.
  if [[ $- != *i* ]]; then
    local sig
    for sig in INT TERM HUP PIPE; do
      # shellcheck disable=SC2064  # the signal name is meant to be fixed now
      trap "quillomar_env_stop; trap - $sig; kill -$sig \$\$" "$sig"
    done
  fi

  export LANG=C.UTF-8
  unset LC_ALL
  mkdir -m 700 "$QUILLOMAR_TEST_DIR/runtime"
  export XDG_RUNTIME_DIR=$QUILLOMAR_TEST_DIR/runtime
  quillomar_env_write_odbc "$QUILLOMAR_TEST_DIR"
  export ODBCSYSINI=$QUILLOMAR_TEST_DIR/odbc
  export ODBCINI=$QUILLOMAR_TEST_DIR/odbc/odbc.ini

  quillomar_env_make_locale "$QUILLOMAR_TEST_DIR" || return 1
  export QUILLOMAR_LOCPATH
  quillomar_env_start_pg "$QUILLOMAR_TEST_DIR" || return 1
  quillomar_env_start_maria "$QUILLOMAR_TEST_DIR" || return 1
  export QUILLOMAR_PG_LOG QUILLOMAR_MARIA_LOG
  export QUILLOMAR_DSN_SQLITE=QuillomarTestSqlite
  export QUILLOMAR_DSN_PG=QuillomarTestPg
  export QUILLOMAR_DSN_MARIA=QuillomarTestMaria
  export QUILLOMAR_DSN_MARIA_ANSI=QuillomarTestMariaAnsi
  export QUILLOMAR_DSN_MARIA_NOBS=QuillomarTestMariaNoBs
  export QUILLOMAR_DSN_PG_DOWN=QuillomarTestPgDown
  export QUILLOMAR_DSN_NODRIVER=QuillomarTestNoDriver
  quillomar_env_log "ready in $QUILLOMAR_TEST_DIR"
}

quillomar_env_start
