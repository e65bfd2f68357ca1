#!/bin/sh
# Starts @PROGRAM@ from its folder under lib/. The settings folder of an installed copy is the
# user's (~/.config/VornExplorer, or the one given with --settings-dir); it gets the packaged
# analysis defaults on first use, which the user may then edit. Files already there are never
# replaced. A portable copy (vornexpl.ini beside the program) is started as it is.
here=$(dirname "$(readlink -f "$0")")
program="$here/../lib/vornexplorer/@PROGRAM@"
defaults="$here/../share/vornexplorer/defaults"

settings=
previous=
for arg in "$@"; do
  case "$arg" in
    --settings-dir=*) settings=${arg#--settings-dir=} ;;
  esac
  [ "$previous" = "--settings-dir" ] && settings=$arg
  previous=$arg
done
given=$settings
if [ -z "$settings" ]; then
  folder=$(dirname "$(readlink -f "$program")")
  # A portable copy keeps its settings beside the program. An installed one keeps them in the
  # user's folder even when the program folder is writable (root): files written into the
  # package's own folder would outlive its removal.
  if [ -f "$folder/vornexpl.ini" ]; then
    exec "$program" "$@"
  elif [ -n "$XDG_CONFIG_HOME" ]; then
    settings=$XDG_CONFIG_HOME/VornExplorer
  elif [ -n "$HOME" ]; then
    settings=$HOME/.config/VornExplorer
  fi
fi
if [ -n "$settings" ] && [ -d "$defaults" ] && mkdir -p "$settings" 2>/dev/null; then
  for file in "$defaults"/*; do
    [ -e "$settings/${file##*/}" ] || cp "$file" "$settings/" 2>/dev/null || true
  done
fi
if [ -z "$given" ] && [ -n "$settings" ]; then
  exec "$program" --settings-dir="$settings" "$@"
fi
exec "$program" "$@"
