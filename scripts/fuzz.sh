#!/bin/sh
# Long fuzzing runs of the parsers: scripts/fuzz.sh [seconds per target] [target...]
# (default 60 seconds, every target). Each target starts from its seeds in
# tests/fuzz/corpus/<target>/ plus what earlier runs kept in the scratch
# folder ($FUZZ_WORK, default build/fuzz/work), which also receives what this
# run adds and every crashing input. FUZZ_KEEP=1 merges the inputs that add
# coverage into the repository's seeds afterwards. A run stopped by a finding
# starts again for the time left, so one fault does not end the search.
# FUZZ_BUILD names another build folder (default build/fuzz), so that a long
# run can go on while build/fuzz is rebuilt.
# Prints, per target: executions, coverage (cov: edges, ft: features), corpus
# size and findings. Exits 1 when anything was found.
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
[ $# -gt 0 ] && shift
build=${FUZZ_BUILD:-$root/build/fuzz}
work=${FUZZ_WORK:-$build/work}
CC=clang CXX=clang++ cmake -S "$root/tests/fuzz" -B "$build" -G Ninja >/dev/null
cmake --build "$build" >/dev/null
targets=$*
[ -n "$targets" ] || targets=$(cd "$build" && ls fuzz_* | sed 's/^fuzz_//')

status=0
printf '%-18s %12s %8s %8s %8s %9s\n' target executions cov ft corpus findings
for t in $targets; do
    corpus="$work/$t/corpus" findings="$work/$t/findings" log="$work/$t/fuzz.log"
    mkdir -p "$corpus" "$findings"
    : > "$log"
    before=$(ls "$findings" | wc -l)
    start=$(date +%s)
    left=$seconds
    while [ "$left" -gt 0 ]; do
        "$build/fuzz_$t" -max_total_time="$left" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
            -artifact_prefix="$findings/" "$corpus" "$root/tests/fuzz/corpus/$t" >>"$log" 2>&1 || true
        left=$((seconds - ($(date +%s) - start)))
    done
    executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | awk '{s+=$1} END {print s+0}')
    last=$(grep -E '^#[0-9]+.*cov: ' "$log" | tail -n 1)
    cov=$(echo "$last" | sed -n 's/.* cov: \([0-9]*\).*/\1/p')
    ft=$(echo "$last" | sed -n 's/.* ft: \([0-9]*\).*/\1/p')
    corp=$(echo "$last" | sed -n 's/.* corp: \([0-9]*\).*/\1/p')
    found=$(($(ls "$findings" | wc -l) - before))
    [ "$found" -eq 0 ] || status=1
    printf '%-18s %12s %8s %8s %8s %9s\n' "$t" "$executions" "${cov:-?}" "${ft:-?}" "${corp:-?}" "$found"
    if [ "${FUZZ_KEEP:-0}" = 1 ]; then
        "$build/fuzz_$t" -merge=1 "$root/tests/fuzz/corpus/$t" "$corpus" >>"$log" 2>&1
    fi
done
[ $status -eq 0 ] || echo "findings: $work/<target>/findings/ (logs beside them)"
exit $status
