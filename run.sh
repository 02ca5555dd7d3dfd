#!/usr/bin/env bash
# Builds Quillomar and starts it: installs the Debian packages that are
# missing, builds the program in build/release, registers the sample ODBC
# data source "QuillomarSample" when it is absent, and starts the program.
# Everything already done is skipped on the next run.
set -euo pipefail
cd "$(dirname "$0")"

./scripts/install-deps.sh run

JOBS=${JOBS:-2}
BUILD=build/release
# The same build type as ./test.sh uses for its normal configuration, so the
# two commands share one build folder without rebuilding each other's work.
if [ ! -f "$BUILD/CMakeCache.txt" ] ||
   ! grep -q '^CMAKE_BUILD_TYPE:STRING=RelWithDebInfo$' "$BUILD/CMakeCache.txt"; then
  cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
# The program target also puts Samples/, x/o.cjs and HAND-M.CUR beside the
# executable.
cmake --build "$BUILD" -j"$JOBS" --target quillomar

if [ -x scripts/register-sample-dsn.sh ]; then
  ./scripts/register-sample-dsn.sh
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "run.sh: no display (DISPLAY is not set); the program needs a desktop session." >&2
  exit 1
fi
exec "$BUILD/bin/quillomar"
