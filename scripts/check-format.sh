#!/bin/sh
# check-format.sh [--fix]: every C++ file in the repository is formatted as .clang-format says.
# Without --fix it lists the files that are not and fails; with --fix it formats them in place.
set -eu
cd "$(dirname "$0")/.."
if ! command -v clang-format >/dev/null 2>&1; then
  echo "check-format: clang-format is not installed (scripts/packages.txt lists it)" >&2
  exit 1
fi
files=$(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = "--fix" ]; then
  echo "$files" | xargs clang-format -i
  exit 0
fi
bad=$(for f in $files; do clang-format --dry-run --Werror "$f" >/dev/null 2>&1 || echo "$f"; done)
if [ -n "$bad" ]; then
  echo "check-format: these files are not formatted (scripts/check-format.sh --fix formats them):" >&2
  echo "$bad" | sed 's/^/  /' >&2
  exit 1
fi
echo "check-format: $(echo "$files" | wc -l) files formatted"
