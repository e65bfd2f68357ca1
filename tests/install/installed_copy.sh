#!/usr/bin/env bash
# An installed copy, as a package lays it out: installed into a scratch prefix, then started
# through its launchers the way a menu or a shell starts it. Checks that the files land where
# the programs look for them, that a user's settings folder gets the analysis defaults without
# losing an edited one, that nothing is written into the program's own (here writable) folder,
# and that a portable copy keeps its settings beside the program.
#
#   installed_copy.sh CMAKE BUILD_DIR SOURCE_DIR WITH_GUI
set -euo pipefail

cmake=$1
build=$2
source=$3
with_gui=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
  echo "installed_copy: $*" >&2
  exit 1
}

prefix=$work/prefix
"$cmake" --install "$build" --prefix "$prefix" >/dev/null
lib=$prefix/lib/vornexplorer
expected=(bin/vornexpl-cli lib/vornexplorer/vornexpl-cli lib/vornexplorer/doc/vornexpl.html
  share/vornexplorer/defaults/vorndef.ini share/vornexplorer/defaults/nifdef.ini
  share/man/man1/vornexpl-cli.1.gz share/doc/vornexplorer/copyright
  share/doc/vornexplorer/changelog.gz)
if [ "$with_gui" = ON ]; then
  expected+=(bin/vornexpl lib/vornexplorer/vornexpl share/applications/vornexplorer.desktop
    share/icons/hicolor/scalable/apps/vornexplorer.svg share/icons/hicolor/64x64/apps/vornexplorer.png
    share/man/man1/vornexpl.1.gz)
fi
for file in "${expected[@]}"; do
  [ -f "$prefix/$file" ] || fail "$file was not installed"
done
if [ "$with_gui" = ON ] && command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$prefix/share/applications/vornexplorer.desktop" ||
    fail "the desktop entry does not validate"
fi
installed_files=$(cd "$prefix" && find . | sort)

# The manual pages format without a warning, where a formatter is at hand.
if command -v man >/dev/null; then
  for page in "$prefix"/share/man/man1/*.1.gz; do
    warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null) || fail "man cannot format $page"
    [ -z "$warnings" ] || fail "$page: $warnings"
  done
fi

# Help and version through the launcher, which puts the settings folder in front of them.
for program in vornexpl-cli $([ "$with_gui" = ON ] && echo vornexpl); do
  version=$(env -u XDG_CONFIG_HOME HOME="$work/help-home" "$prefix/bin/$program" --version) ||
    fail "$program --version failed: $version"
  [ "$version" = "$program 1.20" ] || fail "$program --version printed: $version"
  for option in --help -h; do
    usage=$(env -u XDG_CONFIG_HOME HOME="$work/help-home" "$prefix/bin/$program" "$option") ||
      fail "$program $option failed"
    grep -q "^usage: $program" <<<"$usage" || fail "$program $option printed: $usage"
  done
done

log=$work/NET19990730.LOG
cp "$source/samples/NET19990730.LOG" "$log"
reference=$("$build/src/cli/vornexpl-cli" --settings-dir "$source/samples/settings" boards "$log")
[ -n "$reference" ] || fail "the built tool lists no board"

# A user with a set of their own and an edited NetVorn defaults file.
home=$work/home
user=$home/.config/VornExplorer
mkdir -p "$user"
cp "$source/samples/settings/netvorn.ini" "$user/"
edit='IDListHeader="%C----+----------------------\n"'
sed "s/^IDListHeader=.*\r\$/${edit//\\/\\\\}\r/" "$source/samples/settings/vorndef.ini" >"$user/vorndef.ini"
grep -qF "$edit" "$user/vorndef.ini" || fail "the test could not edit the defaults"

out=$(env -u XDG_CONFIG_HOME HOME="$home" "$prefix/bin/vornexpl-cli" boards "$log") ||
  fail "the installed tool failed: $out"
[ "$out" = "$reference" ] || fail "the installed tool lists other boards: $out"
cmp -s "$user/nifdef.ini" "$source/samples/settings/nifdef.ini" ||
  fail "the missing Nifty-Serve defaults were not given to the user"
grep -qF "$edit" "$user/vorndef.ini" || fail "the user's edited defaults were replaced"
[ "$(cd "$prefix" && find . | sort)" = "$installed_files" ] ||
  fail "something was written into the installed folders: $(cd "$prefix" && find . -newer "$log")"

# XDG_CONFIG_HOME, when set, is where the settings folder is.
xdg=$work/xdg
mkdir -p "$xdg/VornExplorer"
cp "$source/samples/settings/netvorn.ini" "$xdg/VornExplorer/"
out=$(XDG_CONFIG_HOME="$xdg" XDG_CACHE_HOME="$work/xdg-cache" HOME="$work/nobody" \
  "$prefix/bin/vornexpl-cli" boards "$log") ||
  fail "the installed tool failed with XDG_CONFIG_HOME: $out"
[ "$out" = "$reference" ] || fail "XDG_CONFIG_HOME was not the settings folder"
[ -f "$xdg/VornExplorer/vorndef.ini" ] || fail "the defaults did not go to XDG_CONFIG_HOME"
[ ! -e "$work/nobody" ] || fail "HOME was used although XDG_CONFIG_HOME is set"

# A portable copy: vornexpl.ini beside the program makes its folder the settings folder.
cp "$source/samples/settings/"* "$lib/"
printf '[Common]\r\nVersion=1.20\r\n' >"$lib/vornexpl.ini"
out=$(HOME="$work/portable-home" "$prefix/bin/vornexpl-cli" boards "$log") ||
  fail "the portable copy failed: $out"
[ "$out" = "$reference" ] || fail "the portable copy lists other boards"
[ ! -e "$work/portable-home" ] || fail "the portable copy used the user's folder"
[ -n "$(ls "$lib/cache")" ] || fail "the portable copy kept no analysis cache beside itself"
echo "installed_copy: ok"
