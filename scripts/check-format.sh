#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Lists the C++ files that clang-format (.clang-format) would change and fails
# when there is any. Does not change files; `clang-format -i FILE` does.
set -euo pipefail
cd "$(dirname "$0")/.."
unformatted=()
while IFS= read -r -d '' file; do
  if ! clang-format --dry-run -Werror "$file" > /dev/null 2>&1; then
    unformatted+=("$file")
  fi
done < <(git ls-files -z '*.cpp' '*.h')
if [ ${#unformatted[@]} -gt 0 ]; then
  echo "not formatted (${#unformatted[@]} files):" >&2
  printf '  %s\n' "${unformatted[@]}" >&2
  exit 1
fi
echo "format: all files as clang-format writes them" >&2
