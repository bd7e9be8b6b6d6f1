#!/usr/bin/env bash
# Checks that every C++ file of the repository is formatted with .clang-format; lists the ones
# that are not (fix them with `clang-format -i FILE`). Exit status 1 when any is off.
set -euo pipefail
cd "$(dirname "$0")/.."
unformatted=()
while IFS= read -r -d '' file; do
  if ! clang-format --dry-run --Werror "$file" >/dev/null 2>&1; then unformatted+=("$file"); fi
done < <(git ls-files -z -- '*.cpp' '*.h')
if [ ${#unformatted[@]} -gt 0 ]; then
  echo "Not formatted with .clang-format (run clang-format -i on them):"
  printf '  %s\n' "${unformatted[@]}"
  exit 1
fi
echo "Formatting: all $(git ls-files -- '*.cpp' '*.h' | wc -l) C++ files follow .clang-format."
