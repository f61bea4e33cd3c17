#!/usr/bin/env bash
# Checks (or with --write, rewrites) the committed exports of the example
# databases: each line of examples/exports.txt names a file and the
# arguments of the kalvert run whose standard output it holds.
# KALVERT_EMULATOR runs the binary under an emulator (e.g. qemu-s390x, or
# wine); with KALVERT_TEXT_MODE_CRLF=1 the legacy text's CR LF, the line end
# of a Windows text stream, is read as LF.
set -euo pipefail
kalvert=$1
mode=${2:-}
cd "$(dirname "$0")/../examples"
lines() {
  if [[ ${KALVERT_TEXT_MODE_CRLF:-} == 1 ]]; then perl -pe 's/\r\n/\n/g'; else cat; fi
}
status=0
while read -r file args; do
  [[ -z "$file" || "$file" == \#* ]] && continue
  # shellcheck disable=SC2086
  if [[ "$mode" == --write ]]; then
    ${KALVERT_EMULATOR:-} "$kalvert" $args >"$file" 2>/dev/null </dev/null
  elif ! ${KALVERT_EMULATOR:-} "$kalvert" $args 2>/dev/null </dev/null | lines | cmp -s - "$file"; then
    echo "examples/$file is not what 'kalvert $args' writes" >&2
    status=1
  fi
done <exports.txt
exit $status
