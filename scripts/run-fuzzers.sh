#!/bin/sh
# Runs every fuzz harness of a fuzzing build for the given number of seconds,
# each from a copy of its seed inputs (the committed seeds are never grown).
# Exits non-zero when any harness found a crash, a hang or a sanitizer report;
# the inputs are kept under BUILD/findings/ for a regression test.
set -u
build=${1:-build-fuzz}
seconds=${2:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
status=0
for harness in "$build"/bin/fuzz_*; do
    name=${harness##*/fuzz_}
    work="$build/corpus/$name"
    findings="$build/findings/$name"
    mkdir -p "$work" "$findings"
    cp -n "$root/tests/fuzz/corpus/$name"/* "$work"/ 2>/dev/null
    echo "== $name: $seconds s"
    if ! QT_QPA_PLATFORM=offscreen "$harness" -max_total_time="$seconds" -timeout=10 \
        -rss_limit_mb=4096 -print_final_stats=1 -artifact_prefix="$findings/" "$work" \
        >"$build/findings/$name.log" 2>&1; then
        status=1
        echo "   FOUND: see $findings/ and $build/findings/$name.log"
    fi
    grep -E '^stat::number_of_executed_units|^Done' "$build/findings/$name.log" | sed 's/^/   /'
done
exit $status
