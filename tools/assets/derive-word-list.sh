#!/usr/bin/env bash
# Rebuilds data/words.txt (every 2-, 3- and 4-letter word, upper case, one per
# line) and data/LICENSE.word-list from the npm package word-list.
#
# Usage: tools/assets/derive-word-list.sh
# Needs: npm, tar, awk, sort.
set -euo pipefail

PKG=word-list
VERSION=4.1.0

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
out="$root/data/words.txt"
licence_out="$root/data/LICENSE.word-list"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

(cd "$work" && npm pack --silent "$PKG@$VERSION" >/dev/null)
tarball=$(find "$work" -maxdepth 1 -name '*.tgz' | head -n1)
tar -xzf "$tarball" -C "$work"

# The package ships its list as a plain text file, one lower-case word a line.
src="$work/package/words.txt"
[[ -f "$src" ]] || { echo "no words.txt inside $tarball" >&2; exit 1; }

licence=$(find "$work/package" -maxdepth 1 -type f -iname 'licen[cs]e*' | head -n1)
[[ -n "$licence" ]] || { echo "no licence file inside $tarball" >&2; exit 1; }

mkdir -p "$root/data"
tmp="$out.tmp"
{
    echo "# Two-, three- and four-letter words for Lexitor Trainer."
    echo "# Derived from the npm package $PKG@$VERSION (MIT licence, see LICENSE.word-list)."
    echo "# Regenerate with tools/assets/derive-word-list.sh"
    tr -d '\r' <"$src" |
        LC_ALL=C awk 'length($0) >= 2 && length($0) <= 4 && $0 ~ /^[a-z]+$/' |
        LC_ALL=C tr '[:lower:]' '[:upper:]' |
        LC_ALL=C sort -u
} >"$tmp"
mv "$tmp" "$out"

{
    echo "The word list in data/words.txt is derived from the npm package"
    echo "$PKG version $VERSION, distributed under the following licence."
    echo
    cat "$licence"
} >"$licence_out"

# Sanity check against the counts this release is known to give.
declare -A expected=([2]=124 [3]=1300 [4]=5469)
status=0
for n in 2 3 4; do
    got=$(grep -v '^#' "$out" | awk -v n="$n" 'length($0) == n' | wc -l)
    printf '%d-letter words: %5d (expected %d)\n' "$n" "$got" "${expected[$n]}"
    [[ "$got" -eq "${expected[$n]}" ]] || status=1
done
printf 'total: %d\n' "$(grep -vc '^#' "$out")"
if [[ $status -ne 0 ]]; then
    echo "word counts differ from the expected ones" >&2
    exit 1
fi
echo "wrote $out and $licence_out"
