#!/usr/bin/env bash
# Registers the user data source "QuillomarSample" (an SQLite database under
# ~/.local/share/Quillomar/) in the user's ODBC file, only when no data source
# of that name exists. Other entries of the file are never changed: the new
# section is appended. The file is $ODBCINI when set, else ~/.odbc.ini of the
# user's home from the password database (where unixODBC looks for it).
set -euo pipefail

NAME=QuillomarSample
DRIVER=SQLite3
DRIVER_LIB=/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so

user_home() {
  local home
  home=$(getent passwd "$(id -un)" | cut -d: -f6)
  echo "${home:-$HOME}"
}

# The SQLite3 driver: the libsqliteodbc package registers it on install; a
# machine where that entry was removed gets it back.
ensure_driver() {
  if odbcinst -q -d -n "$DRIVER" >/dev/null 2>&1; then
    return 0
  fi
  if [ ! -e "$DRIVER_LIB" ]; then
    echo "register-sample-dsn: the SQLite3 ODBC driver is not installed (package libsqliteodbc)" >&2
    return 1
  fi
  local sudo=""
  [ "$(id -u)" -ne 0 ] && [ -z "${ODBCSYSINI:-}" ] && sudo=sudo
  printf '[%s]\nDescription=SQLite3 ODBC Driver\nDriver=%s\nSetup=%s\n' \
    "$DRIVER" "$DRIVER_LIB" "$DRIVER_LIB" | $sudo odbcinst -i -d -r >/dev/null
  echo "register-sample-dsn: registered the $DRIVER driver"
}

# True when the file has a section named like the data source. unixODBC
# matches section names without regard to case, so this does too.
has_section() {
  local file=$1
  [ -f "$file" ] || return 1
  awk -v want="[$(echo "$NAME" | tr '[:upper:]' '[:lower:]')]" '
    { line = tolower($0); sub(/^[ \t]+/, "", line); sub(/[ \t\r]+$/, "", line) }
    line == want { found = 1 }
    END { exit found ? 0 : 1 }' "$file"
}

main() {
  ensure_driver
  local ini=${ODBCINI:-$(user_home)/.odbc.ini}
  if has_section "$ini"; then
    echo "register-sample-dsn: $NAME is already in $ini"
    return 0
  fi
  local data_dir="$HOME/.local/share/Quillomar"
  mkdir -p "$data_dir" "$(dirname "$ini")"
  data_dir=$(cd "$data_dir" && pwd -P)
  {
    # Start on a line of its own, with a blank line before the section.
    if [ -s "$ini" ]; then
      [ -n "$(tail -c1 "$ini")" ] && echo
      echo
    fi
    echo "[$NAME]"
    echo "Description=Quillomar sample database"
    echo "Driver=$DRIVER"
    echo "Database=$data_dir/QuillomarSample.db"
    echo "JournalMode=WAL"
    echo "SyncPragma=FULL"
    echo "StepAPI=1"
  } >>"$ini"
  echo "register-sample-dsn: added $NAME to $ini (database $data_dir/QuillomarSample.db)"
}

main "$@"
