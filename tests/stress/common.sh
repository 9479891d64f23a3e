# Sourced by the stress scripts with the path of keymora-cli: a scratch folder
# to work in, removed on exit, and the helpers they share.
cli=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

fail() { echo "FAIL: $*" >&2; exit 1; }
# encode PASSWORD [OPTIONS] XML KMF: the text as a data file of user "me".
encode() { printf '%s\n%s\n' "$1" "$1" | "$cli" encode -u me "${@:2}" > /dev/null; }
