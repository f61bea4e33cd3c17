#!/usr/bin/env bash
# Size of the test suite against the program's:
#
#   tools/test-ratio.sh [--check]
#
# Counts the lines that are neither blank nor a // comment in the C and C++
# files git tracks under tests/ (T) and under src/ and include/ (C), and
# prints "test ratio: T test lines / C code lines = R". Exit 0; with --check,
# exit 1 when R is outside 0.25-0.35.
set -euo pipefail
cd "$(dirname "$0")/.."

count() {
  git ls-files -z -- "$@" | grep -zE '\.(c|cc|cpp|h|hpp)$' | xargs -0 -r cat |
    grep -cvE '^[[:space:]]*(//.*)?$' || true
}
t=$(count tests)
c=$(count src include)
r=$(awk -v t="$t" -v c="$c" 'BEGIN { printf "%.3f", c ? t / c : 0 }')
echo "test ratio: $t test lines / $c code lines = $r"
if [[ ${1:-} == --check ]]; then
  awk -v t="$t" -v c="$c" 'BEGIN { exit !(c && t >= 0.25 * c && t <= 0.35 * c) }' || {
    echo "test ratio $r is outside 0.25-0.35" >&2
    exit 1
  }
fi
exit 0
