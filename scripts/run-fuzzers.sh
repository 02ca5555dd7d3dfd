#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, address and undefined-behaviour
# sanitizers) in build/fuzz and runs each for a bounded time, seeded from the
# FoxPro fixture files copied into a temporary corpus. Any crash, leak,
# timeout or memory blow-up is a finding: its input is kept in the printed
# folder, and the script exits 1. Exit 0 when every target ran clean.
#
#   FUZZ_SECONDS   time cap per target (default 120)
#   FUZZ_RUNS      inputs per target (default: a count per target that takes
#                  about 30 s here)
#
# Every run uses the same random seed and a fixed number of inputs, so a
# clean run here is a clean run anywhere: a slower machine that reaches the
# time cap first has tried a prefix of the same inputs.
#   FUZZ_TARGETS   targets to run (default: the table, memo, container, index
#                  and statement fuzzers, and the container property decoder's)
#   FUZZ_KEEP      folder for corpora and findings (default: a new temp folder)
set -uo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
SECONDS_PER_TARGET=${FUZZ_SECONDS:-120}
TARGETS=${FUZZ_TARGETS:-"table_fuzzer memo_fuzzer container_fuzzer index_fuzzer sql_fuzzer fuzz_dbc_properties"}
FIXTURES=${QUILLOMAR_VFP_FIXTURES:-$ROOT/../shared/fixtures/vfp}
WORK=${FUZZ_KEEP:-$(mktemp -d "${TMPDIR:-/tmp}/quillomar-fuzz-XXXXXX")}
mkdir -p "$WORK"

echo "=== fuzz: build (build/fuzz)"
flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer -g -O1"
if ! CC=clang CXX=clang++ cmake -S . -B build/fuzz -DQUILLOMAR_FUZZ=ON -DQUILLOMAR_GUI=OFF \
      -DCMAKE_BUILD_TYPE= -DCMAKE_CXX_FLAGS="$flags" \
      -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >"$WORK/configure.log" 2>&1; then
  cat "$WORK/configure.log"
  echo "fuzz: FAILED to configure the fuzz build"
  exit 1
fi
if ! cmake --build build/fuzz -j"${JOBS:-2}" --target fuzzers >"$WORK/build.log" 2>&1; then
  tail -40 "$WORK/build.log"
  echo "fuzz: FAILED to build the fuzz targets"
  exit 1
fi

# Seeds: fixture files as each target reads them. Table and container
# inputs pack a file with its memo file (4-byte length, first, second).
echo "=== fuzz: seeds from ${FIXTURES}"
/usr/bin/python3 - "$FIXTURES" "$WORK" <<'PYEOF'
import os, struct, sys
fixtures, work = sys.argv[1], sys.argv[2]
corpora = {name: os.path.join(work, "corpus-" + name)
           for name in ("table_fuzzer", "memo_fuzzer", "container_fuzzer", "index_fuzzer",
                        "sql_fuzzer", "fuzz_dbc_properties")}
for path in corpora.values():
    os.makedirs(path, exist_ok=True)
files = []
if os.path.isdir(fixtures):
    for folder, _, names in os.walk(fixtures):
        files += [os.path.join(folder, n) for n in names]
by_lower = {f.lower(): f for f in files}
def read(path):
    with open(path, "rb") as f:
        return f.read()
def companion(path, ext):
    return by_lower.get(os.path.splitext(path)[0].lower() + ext)
def put(kind, name, data):
    with open(os.path.join(corpora[kind], name), "wb") as f:
        f.write(data)
for i, path in enumerate(sorted(files)):
    ext = os.path.splitext(path)[1].lower()
    base = "%03d-%s" % (i, os.path.basename(path))
    if ext in (".dbf", ".dbc"):
        memo = companion(path, ".fpt" if ext == ".dbf" else ".dct")
        data = read(path)
        packed = struct.pack("<I", len(data)) + data + (read(memo) if memo else b"")
        put("table_fuzzer", base, packed)
        if ext == ".dbc":
            put("container_fuzzer", base, packed)
    elif ext in (".fpt", ".dct", ".dbt"):
        data = read(path)
        put("memo_fuzzer", base, data)
        if ext == ".dct":  # each property memo on its own
            size = int.from_bytes(data[6:8], "big") or 1
            offset = (512 + size - 1) // size * size
            count = 0
            while offset + 8 <= len(data) and count < 200:
                kind, length = struct.unpack(">II", data[offset:offset + 8])
                if kind == 1 and 0 < length <= len(data) - offset - 8:
                    put("fuzz_dbc_properties", "%s-%d" % (base, offset),
                        data[offset + 8:offset + 8 + length])
                    count += 1
                    offset += (8 + length + size - 1) // size * size
                else:
                    offset += size
    elif ext in (".cdx", ".dcx"):
        put("index_fuzzer", base, read(path))

# Damaged variants of the fixture tables, one kind of damage each: record
# counts that disagree with the file, a half-written record, memo pointers
# into the memo header and past its end, a logical byte of no meaning, a
# varchar length byte larger than its field, and a character field whose
# decimal count would make it wider than 255.
def field_list(dbf):
    header_length = int.from_bytes(dbf[8:10], "little")
    fields, pos, offset = [], 32, 1
    while pos + 32 <= min(header_length, len(dbf)) and dbf[pos] != 0x0D:
        fields.append((chr(dbf[pos + 11]), pos, offset, dbf[pos + 16]))
        offset += dbf[pos + 16]
        pos += 32
    return header_length, fields
def with_bytes(data, offset, new):
    return data[:offset] + new + data[offset + len(new):]
def damaged_variants(dbf):
    if len(dbf) < 32:
        return
    count = int.from_bytes(dbf[4:8], "little")
    record_length = int.from_bytes(dbf[10:12], "little")
    header_length, fields = field_list(dbf)
    if count == 0 or record_length == 0 or len(dbf) < header_length + count * record_length:
        return
    yield "count-high", with_bytes(dbf, 4, struct.pack("<I", count + 7))
    yield "count-low", with_bytes(dbf, 4, struct.pack("<I", count - 1))
    yield "half-record", dbf[:header_length + (count - 1) * record_length + record_length // 2]
    seen = set()
    for kind, descriptor, offset, width in fields:
        at = header_length + offset
        if kind in "MGW" and width == 4 and "memo" not in seen:
            seen.add("memo")
            yield "memo-in-header", with_bytes(dbf, at, struct.pack("<I", 1))
            yield "memo-past-end", with_bytes(dbf, at, struct.pack("<I", 0x7FFFFFF0))
        elif kind == "L" and kind not in seen:
            seen.add(kind)
            yield "logical-X", with_bytes(dbf, at, b"X")
        elif kind == "V" and kind not in seen:
            seen.add(kind)
            yield "varchar-length", with_bytes(dbf, at + width - 1, b"\xff")
        elif kind == "C" and kind not in seen:
            seen.add(kind)
            yield "char-high-byte", with_bytes(dbf, descriptor + 17, b"\x01")
damaged = 0
for i, path in enumerate(sorted(files)):
    if not path.lower().endswith(".dbf") or damaged >= 200:
        continue
    memo = companion(path, ".fpt")
    memo_data = read(memo) if memo else b""
    for label, data in damaged_variants(read(path)):
        put("table_fuzzer", "damaged-%03d-%s-%s" % (i, label, os.path.basename(path)),
            struct.pack("<I", len(data)) + data + memo_data)
        damaged += 1
# A FoxPro 2.x table with a 300-byte character field (length 44, decimals 1).
descriptors = b"NAME".ljust(11, b"\0") + b"C" + bytes(4) + bytes([44, 1]) + bytes(14)
descriptors += b"AGE".ljust(11, b"\0") + b"N" + bytes(4) + bytes([3, 0]) + bytes(14)
records = b" " + b"x" * 300 + b" 42" + b" " + b"y" * 299 + b"z" + b"  7"
old_table = (bytes([3, 99, 1, 1]) + struct.pack("<IHH", 2, 32 + 64 + 1, 304) + bytes(20)
             + descriptors + b"\r" + records + b"\x1a")
put("table_fuzzer", "wide-character-field", struct.pack("<I", len(old_table)) + old_table)
statements = [
    "SELECT * FROM t", "SELECT c, n FROM [t];", "DROP TABLE `t`",
    "CREATE TABLE \"orders\"(\"id\" M,\"unit_price\" M,\"photo\" BLOB);",
    "CREATE TABLE x (a C(10) NOT NULL, b N(12,3) NULL, c V(5), d Q(3) NOCPTRANS, e DOUBLE(4))",
    "INSERT INTO t VALUES('O''Hara', 'v', 'q', 12.5, -1.5, 7, 2.5, 12.3456, '2024-02-29',"
    " '2024-02-29 13:14:15.678', .T., 'memo\r\nline', 'g', 'blob')",
    "INSERT INTO t (c, n, l) VALUES (NULL, -99999.99, .F.)",
    "insert into \"t\" values (null, null, null, null, null, null, null, null, null, null, null,"
    " null, null, null)",
]
for i, s in enumerate(statements):
    put("sql_fuzzer", "seed-%02d" % i, s.encode("utf-8"))
PYEOF

export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1:abort_on_error=0:print_summary=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:print_summary=1"
findings=0
ran=0
runs_for() {
  if [ -n "${FUZZ_RUNS:-}" ]; then echo "$FUZZ_RUNS"; return; fi
  case $1 in
    table_fuzzer) echo 30000 ;;
    memo_fuzzer) echo 60000 ;;
    container_fuzzer) echo 25000 ;;
    index_fuzzer) echo 150000 ;;
    sql_fuzzer) echo 200000 ;;
    *) echo 1000000 ;;
  esac
}
for target in $TARGETS; do
  binary=build/fuzz/fuzz/$target
  runs=$(runs_for "$target")
  corpus=$WORK/corpus-$target
  found=$WORK/findings-$target
  mkdir -p "$found"
  echo "=== fuzz: $target ($runs inputs, seed 1, at most ${SECONDS_PER_TARGET}s)"
  "$binary" "$corpus" -seed=1 -runs="$runs" -max_total_time="$SECONDS_PER_TARGET" \
    -rss_limit_mb=2048 -timeout=10 \
    -max_len=65536 -print_final_stats=1 -artifact_prefix="$found/" >"$WORK/$target.log" 2>&1
  rc=$?
  ran=$((ran + 1))
  grep -E "^stat::number_of_executed_units|^#[0-9]+ *DONE" "$WORK/$target.log" | tail -1
  if [ $rc -ne 0 ] || [ -n "$(ls -A "$found")" ]; then
    findings=$((findings + 1))
    grep -E "ERROR|SUMMARY|#[0-9]+ 0x|runtime error" "$WORK/$target.log" | head -30
    echo "fuzz: FINDING in $target (exit $rc); input and log in $found and $WORK/$target.log"
  fi
done
echo "fuzz: $ran targets run, $findings with findings"
[ $findings -eq 0 ]
