#!/usr/bin/env bash
# Installs what the tests need, builds a normal and a sanitizer configuration,
# and runs every test in both. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")"
ROOT=$PWD

./scripts/install-deps.sh test

JOBS=${JOBS:-2}
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/release -j"$JOBS"
cmake -S . -B build/asan -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
cmake --build build/asan -j"$JOBS"

status=0
for config in release asan; do
  echo "=== tests: $config"
  (cd build/$config && ctest --output-on-failure -j"$JOBS") || status=1
done
exit $status
