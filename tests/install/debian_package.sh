#!/usr/bin/env bash
# The Debian package as `make package` makes it, into a scratch folder: what Debian's policy
# asks of its files and control fields, checked with dpkg-deb, and lintian's verdict where
# lintian is installed (no error, no warning).
#
#   debian_package.sh BUILD_DIR VERSION
set -euo pipefail

build=$1
version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
  echo "debian_package: $*" >&2
  exit 1
}

(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work" >cpack.txt 2>&1) ||
  fail "cpack failed: $(cat "$work/cpack.txt")"
deb=$(ls "$work"/vornexplorer_*.deb)
field() { dpkg-deb -f "$deb" "$1"; }

# Every text of the window is Japanese: a font that has the characters comes with it, without
# the recommended packages too.
depends=$(field Depends)
grep -Eq '(^|, )fonts-ipafont-gothic \| fonts-noto-cjk( |,|$)' <<<"$depends" ||
  fail "no Japanese font in Depends: $depends"

maintainer=$(field Maintainer)
grep -Eq '^[^<>]+ <[^@<> ]+@[a-z0-9-]+(\.[a-z0-9-]+)+>$' <<<"$maintainer" ||
  fail "the maintainer has no usable mail address: $maintainer"
grep -Eqi '@(localhost|localdomain)' <<<"$maintainer" && fail "a local mail host: $maintainer"
long=$(field Description | awk 'NR > 1 && length($0) > 80')
[ -z "$long" ] || fail "description lines over 80 columns: $long"

dpkg-deb -c "$deb" | awk '{ print $NF }' | sed 's|^\./|/|' >"$work/files.txt"
for file in /usr/share/doc/vornexplorer/copyright /usr/share/doc/vornexplorer/changelog.gz \
  /usr/share/man/man1/vornexpl-cli.1.gz; do
  grep -qx "$file" "$work/files.txt" || fail "$file is not in the package"
done
uncompressed=$(grep -E '^/usr/share/man/.*\.[0-9]$' "$work/files.txt" || true)
[ -z "$uncompressed" ] || fail "manual pages not compressed: $uncompressed"

# The changelog's latest entry is this version, and the compressed files carry no time stamp
# (the same sources give the same package).
dpkg-deb -x "$deb" "$work/root"
for gz in "$work/root/usr/share/doc/vornexplorer/changelog.gz" "$work"/root/usr/share/man/man1/*.gz; do
  gzip -t "$gz" || fail "$gz is no gzip file"
  [ "$(od -An -tu4 -j4 -N4 "$gz" | tr -d ' ')" = 0 ] || fail "$gz has a time stamp"
done
top=$(zcat "$work/root/usr/share/doc/vornexplorer/changelog.gz" | head -n 1)
[[ "$top" == "vornexplorer ($version) "* ]] || fail "the changelog begins: $top"
[ "$(field Version)" = "$version" ] || fail "the package's version is $(field Version)"

if command -v lintian >/dev/null; then
  lintian --fail-on error,warning "$deb" >"$work/lintian.txt" 2>&1 ||
    fail "lintian: $(cat "$work/lintian.txt")"
  grep -E '^[EW]: ' "$work/lintian.txt" && fail "lintian reports errors or warnings"
else
  echo "debian_package: lintian is not installed; its checks were left out"
fi
echo "debian_package: ok"
