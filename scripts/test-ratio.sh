#!/usr/bin/env bash
# Lines of test code against lines of product code: non-blank lines that are not only a comment,
# in C++, script, page and style files; tests/ against src/ and emulator/ (fuzz corpora left out).
set -euo pipefail
cd "$(dirname "$0")/.."
count() {
  find "$@" -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.js' -o -name '*.mjs' \
    -o -name '*.py' -o -name '*.html' -o -name '*.css' \) -not -path '*/corpus/*' -print0 |
    xargs -0 cat | grep -v '^\s*$' | grep -v '^\s*//' | grep -v '^\s*# ' | wc -l
}
tests=$(count tests)
code=$(count src emulator)
awk -v t="$tests" -v c="$code" 'BEGIN { printf "tests %d, code %d, ratio %.3f (at most 0.400)\n", t, c, t / c }'
