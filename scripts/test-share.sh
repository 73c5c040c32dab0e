#!/bin/sh
# Prints the hand-written test code against the program code, in lines, and
# their ratio. Program: the C++ sources outside tests/ and bench/, without the
# generated coefficient tables of astro/theories/. Tests: tests/.
cd "$(dirname "$0")/.."
count() { find "$@" \( -name '*.cpp' -o -name '*.h' \) -print0 | xargs -0 cat | wc -l; }
program=$(count astro chart data output resources settings shell telescope timecontrol tools \
    -not -path 'astro/theories/*Data.cpp' -not -path 'astro/theories/VfpTables.cpp')
tests=$(count tests)
echo "test share: $tests lines of tests, $program lines of program, ratio $(awk "BEGIN { printf \"%.4f\", $tests / $program }")"
