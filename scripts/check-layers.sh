#!/usr/bin/env bash
# Keeps the layers apart: the core never sees Qt, the shared UI folder and the
# document window never reach up into the program's own folder, and the
# document window's library never links the program's library.
# Usage: check-layers.sh [source dir]. Prints every offending line; exit 1 if any.
set -uo pipefail
root="${1:-$(dirname "$0")/..}"
cd "$root" || exit 2

found=0
report() {
  # $1: what is wrong; $2: the offending lines.
  local lines=$2
  if [ -n "$lines" ]; then
    echo "$1:"
    printf '%s\n' "$lines" | sed 's/^/  /'
    found=1
  fi
}

include_of() {
  # Lines of sources under the given folders that include a path matching $1.
  local pattern=$1
  shift
  local dirs=()
  for d in "$@"; do [ -d "$d" ] && dirs+=("$d"); done
  [ ${#dirs[@]} -eq 0 ] && return 0
  grep -rnE --include='*.h' --include='*.hpp' --include='*.cpp' --include='*.cc' \
    --include='*.in' "^[[:space:]]*#[[:space:]]*include[[:space:]]*$pattern" "${dirs[@]}"
}

report "src/docwindow and src/ui must not include src/app" \
  "$(include_of '["<](\.\./)*app/' src/docwindow src/ui)"
report "src/ui must not include src/docwindow" \
  "$(include_of '["<](\.\./)*docwindow/' src/ui)"
report "the core folders must not include Qt" \
  "$(include_of '<Q' src/support src/document src/storage src/cli src/session)"

# A library may not link a layer above it.
links_of() {
  # Non-comment lines of a CMakeLists.txt that name one of the given targets.
  local file=$1
  shift
  [ -f "$file" ] || return 0
  local targets
  targets=$(IFS='|'; echo "$*")
  grep -nE "^[^#]*\\b($targets)\\b" "$file" | sed "s|^|$file:|"
}
report "keymora_docwindow must not link keymora_gui" \
  "$(links_of src/docwindow/CMakeLists.txt keymora_gui)"
report "keymora_ui must not link keymora_gui or keymora_docwindow" \
  "$(links_of src/ui/CMakeLists.txt keymora_gui keymora_docwindow)"

if [ $found -ne 0 ]; then
  echo "layer check failed"
  exit 1
fi
echo "layers ok"
