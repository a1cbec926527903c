#!/usr/bin/env bash
# Style checks on the C and C++ files a change touches: layout by clang-format
# (.clang-format) and naming by clang-tidy (.clang-tidy, which needs a
# compilation database: the build tree is configured here if need be).
#
#   bash scripts/lint.sh              # the files changed since ORVEN_LINT_BASE (default: the parent commit)
#   bash scripts/lint.sh --all        # every file
#   ORVEN_LINT_BASE=main~5 bash scripts/lint.sh
#
# The generated code tables (contract/tables/) are not checked. Exits non-zero
# on any finding.
set -euo pipefail
cd "$(dirname "$0")/.."

all=0
[ "${1:-}" = "--all" ] && all=1
base="${ORVEN_LINT_BASE:-HEAD~1}"

is_source() { grep -E '\.(c|cc|cpp|h|hpp)$' | grep -vE '^contract/tables/' || true; }
if [ "$all" = 1 ]; then
  files="$(git ls-files | is_source)"
else
  files="$( (git diff --name-only --diff-filter=d "$base" -- 2>/dev/null || git ls-files) | is_source)"
fi
if [ -z "$files" ]; then
  echo "lint: no C or C++ file changed since $base"
  exit 0
fi
count="$(wc -l <<<"$files")"
echo "lint: $count file(s)"

failed=0
# shellcheck disable=SC2086
if ! clang-format --dry-run --Werror $files; then
  echo "lint: clang-format would change the files above (run clang-format -i on them)" >&2
  failed=1
fi

build=build-lint
if [ ! -f "$build/compile_commands.json" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVEN_BUILD_TESTS=ON -DORVEN_BUILD_BENCH=OFF \
    -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null
fi
# clang-tidy reads the code as compiled; headers are checked through the
# translation units that include them.
units="$(grep -E '\.(c|cc|cpp)$' <<<"$files" | while read -r f; do
  if grep -q "\"file\": \"$PWD/$f\"" "$build/compile_commands.json"; then echo "$f"; fi
done)"
if [ -n "$units" ]; then
  # shellcheck disable=SC2086
  if ! clang-tidy -p "$build" --quiet $units 2>/dev/null; then
    echo "lint: clang-tidy found naming faults (.clang-tidy)" >&2
    failed=1
  fi
fi
[ "$failed" = 0 ] && echo "lint: clean"
exit "$failed"
