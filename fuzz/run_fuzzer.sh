#!/bin/sh
# Runs one fuzz target: every committed seed and every input found so far
# first, then new inputs until the time is up. QARMEL_FUZZ_SECONDS lengthens
# the run (make fuzz); ctest passes the short length make test uses.
# Usage: run_fuzzer.sh TARGET SECONDS WORK_CORPUS SEED_CORPUS
# Allocations above 64 MiB come back as failures (the readers' own failure
# path) instead of costing the fuzzer a huge shadow mapping per run.
set -e
target=$1 seconds=${QARMEL_FUZZ_SECONDS:-$2} work=$3 seeds=$4
mkdir -p "$work"
export ASAN_OPTIONS="allocator_may_return_null=1:max_allocation_size_mb=64:detect_leaks=1"
exec "$target" -max_total_time="$seconds" -print_final_stats=1 -rss_limit_mb=4096 \
  -malloc_limit_mb=1048576 -timeout=10 "$work" "$seeds"
