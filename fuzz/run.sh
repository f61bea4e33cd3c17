#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each in turn for a bounded time.
#
#   fuzz/run.sh [SECONDS] [TARGET...]    SECONDS per target, default 30
#   fuzz/run.sh seeds                    rewrite fuzz/corpus/ from the builder
#
# Each target starts from its seeds (fuzz/corpus/<target>/) and every input
# that ever failed (fuzz/regressions/<target>/); what it learns goes to
# $BUILD_FUZZ/corpus/<target>/ and is kept for the next local run. Exit
# status 1 when any target found something: the input is written to
# $BUILD_FUZZ/findings/ (minimise it, add it to fuzz/regressions/<target>/).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_FUZZ:-$root/build-fuzz}"
targets_all=(run_db import_book import_cards csv_fields modern_db import_stdcsv import_ics import_vcf codec)

cmake -S "$root/fuzz" -B "$build" -DCMAKE_CXX_COMPILER="${CXX_FUZZ:-clang++}" >/dev/null
cmake --build "$build" -j"${JOBS:-2}"

if [ "${1:-}" = seeds ]; then
  rm -rf "$root/fuzz/corpus"
  "$build/mkcorpus" "$root/fuzz/corpus"
  exit 0
fi

seconds="${1:-30}"
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=("${targets_all[@]}")

mkdir -p "$build/findings"
failed=()
for t in "${targets[@]}"; do
  mkdir -p "$build/corpus/$t" "$root/fuzz/regressions/$t"
  echo "fuzzing $t for ${seconds}s"
  # -max_len: databases and CSV files of a few KiB reach every code path;
  # the memory limits turn a runaway allocation into a finding.
  if ! "$build/fuzz_$t" "$build/corpus/$t" "$root/fuzz/corpus/$t" "$root/fuzz/regressions/$t" \
      -max_total_time="$seconds" -max_len=4096 -timeout=10 -rss_limit_mb=1024 -malloc_limit_mb=128 \
      -print_final_stats=1 -artifact_prefix="$build/findings/$t-" \
      >"$build/$t.log" 2>&1; then
    failed+=("$t")
    grep -E 'ERROR|SUMMARY|kalvert fuzz check|Test unit written' "$build/$t.log" >&2 || tail -n 40 "$build/$t.log" >&2
  fi
  grep -E '^stat::(number_of_executed_units|peak_rss_mb)' "$build/$t.log" || true
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz findings in: ${failed[*]} (inputs in $build/findings/)" >&2
  exit 1
fi
echo "fuzzing clean: ${targets[*]}"
