#!/usr/bin/env bash
# Builds the FoxPro engine's libFuzzer targets with clang and runs each for a
# bounded time (FUZZ_SECONDS, default 60), seeded from the FoxPro fixtures.
# Exits non-zero when a target finds a crash.
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_EACH=${FUZZ_SECONDS:-60}
FIXTURES=${FIXTURES:-$PWD/../shared/fixtures/vfp}
CC=clang CXX=clang++ cmake -S . -B build/fuzz -DQUILLOMAR_FUZZ=ON -DQUILLOMAR_GUI=OFF \
  -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build/fuzz -j"${JOBS:-2}" --target foxpro_table_fuzzer foxpro_memo_fuzzer foxpro_sql_fuzzer
seeds=$(mktemp -d)
trap 'rm -rf "$seeds"' EXIT
mkdir -p "$seeds/table" "$seeds/memo" "$seeds/sql"
if [ -d "$FIXTURES" ]; then
  find "$FIXTURES" -iname '*.dbf' -size -64k -exec cp {} "$seeds/table/" \;
  find "$FIXTURES" \( -iname '*.fpt' -o -iname '*.dct' \) -size -64k -exec cp {} "$seeds/memo/" \;
fi
printf '%s' "SELECT * FROM [t]" >"$seeds/sql/1"
printf '%s' "INSERT INTO t VALUES('a''b', 1.5, 'm', 'v', '2024-01-02', .T.)" >"$seeds/sql/2"
printf '%s' 'CREATE TABLE "x"("a" M,"b" N(10,2) NOT NULL,"c" BLOB);' >"$seeds/sql/3"
printf '%s' 'DROP TABLE `t`' >"$seeds/sql/4"
for name in table memo sql; do
  echo "=== foxpro_${name}_fuzzer for ${SECONDS_EACH}s"
  build/fuzz/src/foxpro/fuzz/foxpro_${name}_fuzzer -max_total_time="$SECONDS_EACH" \
    -rss_limit_mb=1024 "$seeds/$name"
done
