#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The licence line at the top of every source file of the repository:
#   scripts/add-spdx.sh           adds it where it is missing
#   scripts/add-spdx.sh --check   lists the files without it and fails if any
# C and C++ files take "// SPDX-License-Identifier: GPL-3.0-or-later" as their
# first line; shell, Python and CMake files "# SPDX-…", after a "#!" line.
# Only files git tracks are looked at; data, scenes, templates and pictures
# are left alone.
set -euo pipefail
cd "$(dirname "$0")/.."
identifier="SPDX-License-Identifier: GPL-3.0-or-later"
check=0
[ "${1:-}" = --check ] && check=1

missing=()
while IFS= read -r -d '' file; do
  case "$file" in
    *.cpp | *.h | *.c | *.cc) prefix="//" ;;
    *.sh | *.py | *.cmake | */CMakeLists.txt | CMakeLists.txt) prefix="#" ;;
    .ci/run) prefix="#" ;;
    *) continue ;;
  esac
  # The line is looked for near the top only: a shebang may come first.
  head -n 3 "$file" | grep -q "$identifier" && continue
  missing+=("$file")
  [ "$check" -eq 1 ] && continue
  line="$prefix $identifier"
  if head -n 1 "$file" | grep -q '^#!'; then
    { head -n 1 "$file"; echo "$line"; tail -n +2 "$file"; } > "$file.spdx"
  else
    { echo "$line"; cat "$file"; } > "$file.spdx"
  fi
  chmod --reference="$file" "$file.spdx"
  mv "$file.spdx" "$file"
done < <(git ls-files -z)

if [ "$check" -eq 1 ]; then
  if [ ${#missing[@]} -gt 0 ]; then
    printf '%s\n' "${missing[@]}"
    echo "add-spdx.sh: ${#missing[@]} files without \"$identifier\" (scripts/add-spdx.sh adds it)" >&2
    exit 1
  fi
  echo "add-spdx.sh: every source file carries \"$identifier\"" >&2
else
  echo "add-spdx.sh: added the licence line to ${#missing[@]} files" >&2
fi
