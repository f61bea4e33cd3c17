#!/usr/bin/env bash
# The manual page: groff finds nothing to warn about, and on an 80-column
# terminal man reports no table wider than the line and no line passes the
# 80th column.
#   tools/check-manual.sh [PAGE]   (default kalvert.1)
set -euo pipefail
page=${1:-$(dirname "$0")/../kalvert.1}
status=0
warnings=$(groff -t -man -ww -z "$page" 2>&1)
warnings+=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
if [[ -n $warnings ]]; then
  echo "$warnings" >&2
  status=1
fi
wide=$(LC_ALL=C.UTF-8 MANWIDTH=80 man -l "$page" 2>/dev/null | python3 -c '
import sys
for n, line in enumerate(sys.stdin.buffer.read().decode("utf-8").split("\n"), 1):
    if len(line) > 80:
        print(f"line {n} of the formatted page is {len(line)} columns: {line.strip()[:60]}")
')
if [[ -n $wide ]]; then
  echo "$wide" >&2
  status=1
fi
((status == 0)) && echo "manual page: clean at 80 columns"
exit $status
