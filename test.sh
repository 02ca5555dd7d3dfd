#!/usr/bin/env bash
# Installs what the tests need, builds a normal and a sanitizer configuration,
# starts throwaway PostgreSQL and MariaDB servers with private ODBC files
# (scripts/test-env.sh), and runs every test in both configurations, then the
# Windows build's tests under Wine (scripts/test-windows.sh). Prints
# each runner's summary and a last line "N passed, N failed"; exits non-zero
# on any failure.
set -euo pipefail
cd "$(dirname "$0")"
ROOT=$PWD

./scripts/install-deps.sh test

JOBS=${JOBS:-2}
echo "=== build: release"
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/release -j"$JOBS"
echo "=== build: asan"
cmake -S . -B build/asan -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
cmake --build build/asan -j"$JOBS"

# Servers, data sources, LANG, XDG_RUNTIME_DIR; stopped and removed on exit.
source "$ROOT/scripts/test-env.sh"

# Sanitizers: stop at the first fault. Leak checking stays on; leaks inside
# the ODBC drivers, the driver manager and Qt's one-time set-up are listed in
# scripts/lsan.supp. strict_string_checks stays off: it flags libxkbcommon's
# strndup on a buffer that is not NUL-terminated (which strndup allows), and
# the real program then cannot start under Xvfb.
export ASAN_OPTIONS="halt_on_error=1:abort_on_error=0:detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:print_summary=1"
export LSAN_OPTIONS="suppressions=$ROOT/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:print_summary=1"

total_passed=0
total_failed=0
total_skipped=0
status=0
summaries=()
for config in release asan; do
  echo "=== tests: $config"
  junit="$QUILLOMAR_TEST_DIR/ctest-$config.xml"
  if ! (cd "build/$config" &&
        ctest --output-on-failure -j"$JOBS" --timeout 600 --output-junit "$junit"); then
    status=1
  fi
  # Count from ctest's own report: tests, failures and skips.
  read -r tests failed skipped < <(
    /usr/bin/python3 - "$junit" <<'EOF'
import sys, xml.etree.ElementTree as ET
try:
    root = ET.parse(sys.argv[1]).getroot()
except Exception:
    print(0, 1, 0)
    sys.exit()
suites = [root] if root.tag == "testsuite" else root.findall("testsuite")
t = f = s = 0
for suite in suites:
    for case in suite.findall("testcase"):
        t += 1
        if case.find("failure") is not None or case.find("error") is not None:
            f += 1
        elif case.find("skipped") is not None or case.get("status") in ("notrun", "disabled"):
            s += 1
print(t, f, s)
EOF
  )
  passed=$((tests - failed - skipped))
  [ "$tests" -eq 0 ] && { failed=$((failed + 1)); status=1; }
  summaries+=("$config: $passed passed, $failed failed, $skipped skipped (of $tests)")
  total_passed=$((total_passed + passed))
  total_failed=$((total_failed + failed))
  total_skipped=$((total_skipped + skipped))
done

# Windows: the tools and unit tests cross-built with mingw-w64 and run under
# Wine, compared with this build (scripts/test-windows.sh). A machine where
# Wine cannot be installed fails here.
echo "=== windows (Wine)"
windows_log="$QUILLOMAR_TEST_DIR/windows.log"
if ./scripts/test-windows.sh build/release 2>&1 | tee "$windows_log"; then :; else status=1; fi
if read -r _ w_passed _ w_failed _ < <(grep -E '^windows: [0-9]+ passed, [0-9]+ failed$' \
                                       "$windows_log" | tail -1); then
  summaries+=("windows: $w_passed passed, $w_failed failed")
  total_passed=$((total_passed + w_passed))
  total_failed=$((total_failed + w_failed))
else
  summaries+=("windows: FAILED before its summary (see above)")
  total_failed=$((total_failed + 1))
  status=1
fi

# Fuzzing: each libFuzzer target for a bounded time; a finding fails the run.
echo "=== fuzzers"
if ./scripts/run-fuzzers.sh; then
  summaries+=("fuzz: no findings")
else
  summaries+=("fuzz: FINDINGS or build failure (see above)")
  status=1
fi

echo "=== summary"
for line in "${summaries[@]}"; do echo "$line"; done
[ "$total_failed" -ne 0 ] && status=1
[ "$total_skipped" -ne 0 ] && echo "$total_skipped skipped"
echo "$total_passed passed, $total_failed failed"
exit $status
