#!/usr/bin/env bash
# Cross-builds the command-line tools for 64-bit Windows with Debian's
# mingw-w64 (posix threads): the engine, the data-access layer with the ODBC
# provider, the transfer code, foxsql.exe and quillomar-copy.exe, linked
# statically, into build/windows/bin/, and zips the two executables into
# build/windows/quillomar-windows-x86_64.zip. The Qt windows are not built
# (Qt for Windows is not available here; see the README).
#
# Usage: scripts/build-windows.sh [--tests]
#   --tests  also builds the unit test programs that scripts/test-windows.sh
#            runs under Wine (GoogleTest compiled from /usr/src/googletest).
# Installs the Debian packages that are missing. JOBS sets the parallel jobs.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
with_tests=0
[ "${1:-}" = --tests ] && with_tests=1

packages=(cmake make g++-mingw-w64-x86-64-posix zip)
[ "$with_tests" -eq 1 ] && packages+=(googletest)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -ne 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" >/dev/null
fi

# The unit tests that run under Wine: the engine's, foxsql's and the
# data-access layer's (scripts/test-windows.sh reads this list too).
WINDOWS_TESTS=(foxpro_util_test foxpro_codepage_test foxpro_dbf_test foxpro_cdx_test foxpro_dbc_test
               foxpro_sql_test foxsql_test ado_test ado_recordset_test ado_dialect_test
               ado_odbc_names_test ado_odbc_test ado_foxpro_test)

BUILD=$ROOT/build/windows
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
gtest=()
[ "$with_tests" -eq 1 ] && gtest=(-DQUILLOMAR_GTEST_SOURCE_DIR=/usr/src/googletest)
cmake -S "$ROOT" -B "$BUILD/cmake" \
  -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchains/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DQUILLOMAR_GUI=OFF "${gtest[@]}" "${launcher[@]}" >/dev/null

targets=(foxsql quillomar-copy)
[ "$with_tests" -eq 1 ] && targets+=("${WINDOWS_TESTS[@]}")
cmake --build "$BUILD/cmake" -j"${JOBS:-2}" --target "${targets[@]}"

mkdir -p "$BUILD/bin"
cp "$BUILD/cmake/tools/foxsql/foxsql.exe" "$BUILD/cmake/bin/quillomar-copy.exe" "$BUILD/bin/"
x86_64-w64-mingw32-strip "$BUILD/bin/foxsql.exe" "$BUILD/bin/quillomar-copy.exe"
rm -f "$BUILD/quillomar-windows-x86_64.zip"
(cd "$BUILD/bin" && zip -q -X "$BUILD/quillomar-windows-x86_64.zip" foxsql.exe quillomar-copy.exe)
echo "Built $BUILD/bin/foxsql.exe, $BUILD/bin/quillomar-copy.exe" \
     "and $BUILD/quillomar-windows-x86_64.zip"
