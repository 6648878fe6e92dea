#!/usr/bin/env bash
# Mutation testing by hand (it takes a while; not a CI step): applies the small faults listed in
# scripts/mutants.txt one at a time to a copy of the tracked sources, rebuilds, runs the whole test
# suite, and counts the faults the suite catches. A fault that does not compile is not counted.
#   scripts/mutation.sh [WORK_DIR] [MUTANTS_FILE]
set -euo pipefail
cd "$(dirname "$0")/.."
work=${1:-mutation}
mutants=${2:-scripts/mutants.txt}
src="$work/src"
build="$work/build"

# A copy of the tracked sources, so that the tree being worked on is never changed.
rm -rf "$src"
mkdir -p "$src"
git ls-files -z | xargs -0 cp --parents -t "$src"
cmake -S "$src" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DODC_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$build" -j2 >/dev/null
ctest --test-dir "$build" -j2 >/dev/null || { echo "the suite fails without any fault"; exit 1; }

apply() {  # FILE TEXT REPLACEMENT; exit 3 unless TEXT occurs exactly once
    python3 - "$@" <<'PY'
import sys
path, text, replacement = sys.argv[1:4]
source = open(path, encoding="utf-8").read()
if source.count(text) != 1:
    sys.exit(3)
open(path, "w", encoding="utf-8").write(source.replace(text, replacement))
PY
}

total=0 caught=0 survived=0 unbuilt=0
while IFS=$'\t' read -r file text replacement; do
    [[ -z "$file" || "$file" == \#* ]] && continue
    total=$((total + 1))
    label="$file: $text -> $replacement"
    cp "$src/$file" "$work/original"
    if ! apply "$src/$file" "$text" "$replacement"; then
        echo "?? not found once: $label"
        unbuilt=$((unbuilt + 1))
        continue
    fi
    if ! cmake --build "$build" -j2 >/dev/null 2>&1; then
        echo "-- does not compile: $label"
        unbuilt=$((unbuilt + 1))
    elif ctest --test-dir "$build" -j2 --stop-on-failure --timeout 120 >"$work/last.log" 2>&1; then
        echo "SURVIVED: $label"
        survived=$((survived + 1))
    else
        echo "caught by $(grep -m1 -oE '[0-9]+ - [^ ]+' "$work/last.log" | cut -d' ' -f3): $label"
        caught=$((caught + 1))
    fi
    cp "$work/original" "$src/$file"
done <"$mutants"
cmake --build "$build" -j2 >/dev/null
echo "$caught of $((total - unbuilt)) faults caught ($survived survived; $unbuilt not built of $total listed)"
