#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what a desktop needs:
# the programs, help pages, icons and manual pages are in place, and the
# desktop file, the MIME type and the AppStream data pass their validators
# (each validator that is not installed is skipped with a message).
# Usage: check-install.sh BUILD_DIR
set -uo pipefail
build=${1:?build dir}
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail=0
bad() { echo "FAIL: $*"; fail=1; }

cmake --install "$build" --prefix "$prefix" >/dev/null || { echo "FAIL: cmake --install"; exit 1; }
share=$prefix/share
app=org.orrindale.Keymora

for f in bin/keymora-cli share/applications/$app.desktop share/metainfo/$app.metainfo.xml \
         share/mime/packages/keymora.xml share/icons/hicolor/scalable/apps/keymora.svg \
         share/icons/hicolor/48x48/apps/keymora.png share/keymora/help/index.html \
         share/doc/keymora/copyright; do
  [ -e "$prefix/$f" ] || bad "not installed: $f"
done
if [ -e "$build/src/app/keymora" ]; then
  [ -x "$prefix/bin/keymora" ] || bad "not installed: bin/keymora"
  grep -q "Exec=keymora %f" "$share/applications/$app.desktop" || bad "desktop file does not pass the file"
fi
if command -v help2man >/dev/null; then
  [ -e "$share/man/man1/keymora-cli.1.gz" ] || bad "no manual page keymora-cli(1)"
  zcat "$share/man/man1/keymora-cli.1.gz" | grep -q '^\.SH "*SEE ALSO' || bad "keymora-cli(1) lacks its sections"
fi

skipped=()
if command -v desktop-file-validate >/dev/null; then
  out=$(desktop-file-validate "$share/applications/$app.desktop" 2>&1) || bad "desktop-file-validate"
  [ -z "$out" ] || { echo "$out"; bad "desktop-file-validate has remarks"; }
else skipped+=(desktop-file-validate); fi

if command -v update-mime-database >/dev/null; then
  out=$(XDG_DATA_DIRS="$share" update-mime-database "$share/mime" 2>&1) || bad "update-mime-database"
  [ -z "$out" ] || { echo "$out"; bad "update-mime-database has remarks"; }
  grep -qx 'application/x-keymora:\*\.kmf' <(cut -d: -f2- "$share/mime/globs2") || bad "no *.kmf glob"
  grep -q 'KEYMORA' "$share/mime/magic" || bad "no magic rule"
else skipped+=(update-mime-database); fi

if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net --explain "$share/metainfo/$app.metainfo.xml" >/tmp/keymora-as.$$ 2>&1 \
    || { cat /tmp/keymora-as.$$; bad "appstreamcli validate"; }
  rm -f /tmp/keymora-as.$$
else skipped+=(appstreamcli); fi

[ ${#skipped[@]} -eq 0 ] || echo "skipped, not installed: ${skipped[*]}"
[ $fail -eq 0 ] && echo "install ok"
exit $fail
