# Benchmark environment, sourced by hand (`source scripts/bench-env.sh`).
#
# Like scripts/test-env.sh, but the servers keep their default durability, as
# a user's servers do: PostgreSQL with fsync and synchronous_commit on and no
# statement log, MariaDB with innodb_flush_log_at_trx_commit=1 and its default
# buffer pool and no query log. Every commit then waits for the disk, which is
# what the benchmarks' ratios are about. The test servers relax both, so
# figures taken there are not comparable.
#
# Creates a private temporary folder with its own unixODBC files, starts both
# servers inside it (unix sockets only), installs pgdbf when it is missing
# (a DBF reader the bulk benchmark compares against), and exports:
#
#   QUILLOMAR_DSN_SQLITE   data source on a SQLite file (WAL, FULL sync)
#   QUILLOMAR_DSN_PG       data source on the PostgreSQL cluster (no ConnSettings)
#   QUILLOMAR_DSN_MARIA    data source on the MariaDB server
#   QUILLOMAR_BENCH_DIR    the temporary folder (the servers' data live in it)
#   QUILLOMAR_BENCH_PG_HOST QUILLOMAR_BENCH_PG_PORT   for psql
#   ODBCSYSINI ODBCINI LANG
#
# The same variable names as the test environment, so every program in
# bench/ runs against either. A trap stops both servers and removes the
# folder when the sourcing shell exits; quillomar_bench_env_stop stops early.

quillomar_bench_env_log() { echo "bench-env: $*" >&2; }

quillomar_bench_env_as_pg() {
  if [ "$(id -u)" -eq 0 ]; then
    runuser -u postgres -- "$@"
  else
    "$@"
  fi
}

quillomar_bench_env_stop() {
  local dir=${QUILLOMAR_BENCH_DIR:-}
  [ -n "$dir" ] && [ -d "$dir" ] || return 0
  if [ -f "$dir/pg/data/postmaster.pid" ]; then
    quillomar_bench_env_as_pg /usr/lib/postgresql/15/bin/pg_ctl -D "$dir/pg/data" -m fast \
      -w stop >/dev/null 2>&1 || true
  fi
  if [ -f "$dir/maria/pid" ]; then
    local pid
    pid=$(cat "$dir/maria/pid" 2>/dev/null || true)
    if [ -n "$pid" ]; then
      kill "$pid" 2>/dev/null || true
      for _ in $(seq 300); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
      kill -9 "$pid" 2>/dev/null || true
    fi
  fi
  rm -rf "$dir"
  QUILLOMAR_BENCH_DIR=
}

# pgdbf is a Debian package; apt-get needs root.
quillomar_bench_env_pgdbf() {
  command -v pgdbf >/dev/null && return 0
  if [ "$(id -u)" -ne 0 ]; then
    quillomar_bench_env_log "pgdbf is missing (apt-get install pgdbf): its comparison is skipped"
    return 0
  fi
  quillomar_bench_env_log "installing pgdbf"
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q pgdbf >/dev/null 2>&1 ||
    { apt-get update -q >/dev/null 2>&1 &&
      DEBIAN_FRONTEND=noninteractive apt-get install -y -q pgdbf >/dev/null 2>&1; } ||
    quillomar_bench_env_log "could not install pgdbf: its comparison is skipped"
}

quillomar_bench_env_start_pg() {
  local dir=$1 bin=/usr/lib/postgresql/15/bin
  mkdir -p "$dir/pg/sock"
  [ "$(id -u)" -eq 0 ] && chown -R postgres "$dir/pg"
  quillomar_bench_env_as_pg "$bin/initdb" -D "$dir/pg/data" -A trust -U postgres -E UTF8 \
    --locale=C.UTF-8 >"$dir/pg/initdb.log" 2>&1 || {
    cat "$dir/pg/initdb.log" >&2
    return 1
  }
  # Only where to listen: every durability setting stays at its default.
  quillomar_bench_env_as_pg "$bin/pg_ctl" -D "$dir/pg/data" -l "$dir/pg/server.log" -w -t 60 \
    -o "-p 5433 -c listen_addresses= -k $dir/pg/sock" start >/dev/null || {
    cat "$dir/pg/server.log" >&2
    return 1
  }
  QUILLOMAR_BENCH_PG_HOST=$dir/pg/sock
  QUILLOMAR_BENCH_PG_PORT=5433
}

quillomar_bench_env_start_maria() {
  local dir=$1 user
  user=$(id -un)
  mkdir -p "$dir/maria"
  mariadb-install-db --no-defaults --auth-root-authentication-method=normal --user="$user" \
    --datadir="$dir/maria/data" --skip-test-db >"$dir/maria/install.log" 2>&1 || {
    cat "$dir/maria/install.log" >&2
    return 1
  }
  # Only where to live and the character set; durability and buffers as
  # shipped. setsid keeps a Ctrl-C at the prompt from reaching the server.
  setsid mariadbd --no-defaults --user="$user" --datadir="$dir/maria/data" \
    --socket="$dir/maria/sock" --skip-networking --pid-file="$dir/maria/pid" \
    --log-error="$dir/maria/error.log" --character-set-server=utf8mb4 \
    --collation-server=utf8mb4_unicode_ci </dev/null >/dev/null 2>&1 &
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
}

quillomar_bench_env_write_odbc() {
  local dir=$1 lib=/usr/lib/x86_64-linux-gnu/odbc
  mkdir -p "$dir/odbc" "$dir/sqlite"
  cat >"$dir/odbc/odbcinst.ini" <<EOF
[SQLite3]
Driver=$lib/libsqlite3odbc.so

[PostgreSQL Unicode]
Driver=$lib/psqlodbcw.so
Debug=0
CommLog=0

[MariaDB Unicode]
Driver=$lib/libmaodbc.so
Threading=0
EOF
  cat >"$dir/odbc/odbc.ini" <<EOF
[QuillomarBenchSqlite]
Driver=SQLite3
Database=$dir/sqlite/bench.db
JournalMode=WAL
SyncPragma=FULL
StepAPI=1
Timeout=20000

[QuillomarBenchPg]
Driver=PostgreSQL Unicode
Servername=$dir/pg/sock
Port=5433
Database=postgres
Username=postgres

[QuillomarBenchMaria]
Driver=MariaDB Unicode
Socket=$dir/maria/sock
Database=quillomar
User=root
Charset=utf8mb4
EOF
}

quillomar_bench_env_start() {
  QUILLOMAR_BENCH_DIR=$(mktemp -d "${TMPDIR:-/tmp}/quillomar-bench-env.XXXXXX")
  chmod 755 "$QUILLOMAR_BENCH_DIR"
  export QUILLOMAR_BENCH_DIR
  trap 'quillomar_bench_env_stop' EXIT
  if [[ $- != *i* ]]; then
    local sig
    for sig in INT TERM HUP PIPE; do
      # shellcheck disable=SC2064  # the signal name is meant to be fixed now
      trap "quillomar_bench_env_stop; trap - $sig; kill -$sig \$\$" "$sig"
    done
  fi
  export LANG=C.UTF-8
  unset LC_ALL
  quillomar_bench_env_pgdbf
  quillomar_bench_env_write_odbc "$QUILLOMAR_BENCH_DIR"
  export ODBCSYSINI=$QUILLOMAR_BENCH_DIR/odbc
  export ODBCINI=$QUILLOMAR_BENCH_DIR/odbc/odbc.ini
  quillomar_bench_env_start_pg "$QUILLOMAR_BENCH_DIR" || return 1
  quillomar_bench_env_start_maria "$QUILLOMAR_BENCH_DIR" || return 1
  export QUILLOMAR_BENCH_PG_HOST QUILLOMAR_BENCH_PG_PORT
  export QUILLOMAR_DSN_SQLITE=QuillomarBenchSqlite
  export QUILLOMAR_DSN_PG=QuillomarBenchPg
  export QUILLOMAR_DSN_MARIA=QuillomarBenchMaria
  quillomar_bench_env_log "ready in $QUILLOMAR_BENCH_DIR (default durability)"
}

quillomar_bench_env_start
