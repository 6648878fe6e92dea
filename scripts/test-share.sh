#!/usr/bin/env bash
# The share of test code among the project's source lines: non-blank lines of C++ (.cpp, .h,
# .cpp.in), CMake (CMakeLists.txt, .cmake), shell (.sh, .ci/run), Python (.py) and the console's
# web files (.js, .mjs, .html, .css) in the files git tracks; npm's lock files are data.
# Test code: everything under tests/ and fuzz/, and tools/atlas/tests/. Data is not code and is not
# counted: fuzz corpora, golden transcripts and pictures, scenarios, packets and art are none of
# those file types. The project keeps the share between a quarter and a third.
set -euo pipefail
cd "$(dirname "$0")/.."

count() {
    local total=0 n
    while IFS= read -r file; do
        n=$(grep -cv '^[[:space:]]*$' "$file" || true)
        total=$((total + n))
    done
    echo "$total"
}

sources() {
    git ls-files -- '*.cpp' '*.h' '*.cpp.in' '*CMakeLists.txt' '*.cmake' '*.sh' '*.py' '*.js' '*.mjs' '*.html' \
        '*.css' .ci/run
}

is_test='^(tests/|fuzz/|tools/atlas/tests/)'
test_lines=$(sources | grep -E "$is_test" | count)
other_lines=$(sources | grep -Ev "$is_test" | count)
share=$((1000 * test_lines / (test_lines + other_lines)))
printf 'test code:  %6d lines (tests/, fuzz/, tools/atlas/tests/)\n' "$test_lines"
printf 'other code: %6d lines\n' "$other_lines"
printf 'share:      %d.%d %% of %d lines (the aim: 25 %% to 33 %%)\n' $((share / 10)) $((share % 10)) \
    $((test_lines + other_lines))
