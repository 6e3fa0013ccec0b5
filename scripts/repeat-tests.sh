#!/bin/sh
# Runs the Windows suite (both code pages) and the Linux suite N times in a
# row, as scripts/test.sh runs them, and prints per test how often it
# failed: each GoogleTest case on its own, every other CTest test as a
# whole. For finding tests that fail now and then; run it on an otherwise
# quiet machine, after scripts/build.sh.
#   repeat-tests.sh [N]   (default 10)
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-10}
out="$root/build/repeat"
rm -rf "$out"
started=$(date +%s)
i=1
while [ "$i" -le "$runs" ]; do
    dir="$out/run-$i"
    mkdir -p "$dir/linux" "$dir/x64" "$dir/x64-cp932"
    # GoogleTest writes one report per program into the folder it is given;
    # the Windows programs are given it as wine names it.
    (cd "$root/build/linux" && GTEST_OUTPUT="xml:$dir/linux/" \
        ctest --output-junit "$dir/linux.junit.xml" >"$dir/linux.log" 2>&1) || true
    (cd "$root/build/x64" && GTEST_OUTPUT="xml:Z:$dir/x64/" \
        ctest -E '_cp932$' --output-junit "$dir/x64.junit.xml" >"$dir/x64.log" 2>&1) || true
    (cd "$root/build/x64" && GTEST_OUTPUT="xml:Z:$dir/x64-cp932/" \
        ctest -R '^(wine_start|wine_stop|.*_cp932)$' --output-junit "$dir/x64-cp932.junit.xml" \
        >"$dir/x64-cp932.log" 2>&1) || true
    echo "run $i of $runs done after $(( $(date +%s) - started )) s"
    i=$((i + 1))
done
exec python3 "$root/scripts/repeat-report.py" "$out" "$runs" "$(( $(date +%s) - started ))"
