#!/usr/bin/env bash
# Installs the Debian packages that are missing. "run" installs what the
# program needs to build and run; "test" adds what the tests need.
set -euo pipefail
purpose=${1:-run}
packages=(cmake g++ make qt6-base-dev unixodbc-dev unixodbc libsqliteodbc libpq-dev fonts-liberation
          libgtest-dev libgmock-dev)
if [ "$purpose" = test ]; then
  packages+=(odbc-postgresql odbc-mariadb mariadb-server postgresql xvfb xauth xdotool openbox
             imagemagick python3-dbf python3-dbfread python3-xlib libdbd-xbase-perl clang libclang-rt-14-dev
             libbenchmark-dev sqlite3 locales)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO=sudo
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
