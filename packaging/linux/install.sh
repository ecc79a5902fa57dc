#!/bin/sh
# ZEM Lyrebloom: copies the plug-ins in this folder to where hosts look for them, for you alone
# or, run as root, for every user. "./install.sh --uninstall" removes what it installed.
set -eu
here=$(cd "$(dirname "$0")" && pwd)

usage() {
  cat <<'USAGE'
Usage: ./install.sh [--user | --system] [--uninstall]

Installs ZEM Lyrebloom from this folder:
  for you (the default)    VST 2.4 ~/.vst, VST 3 ~/.vst3, CLAP ~/.clap, LV2 ~/.lv2,
                           lyrebloom-render ~/.local/bin, its manual ~/.local/share/man
  as root (or --system)    /usr/local/lib/lxvst, /usr/local/lib/vst3, /usr/lib/clap,
                           /usr/local/lib/lv2, /usr/local/bin, /usr/local/share/man
  --user                   install for yourself even when running as root
  --uninstall              remove exactly what an earlier install put there (files, and the
                           folders it made if they are empty again)
USAGE
}

scope=""
action=install
for arg in "$@"; do
  case $arg in
    --user) scope=user ;;
    --system) scope=system ;;
    --uninstall) action=uninstall ;;
    -h | --help) usage; exit 0 ;;
    *) usage >&2; exit 2 ;;
  esac
done
[ -n "$scope" ] || { [ "$(id -u)" -eq 0 ] && scope=system || scope=user; }

if [ "$scope" = system ]; then
  vst=/usr/local/lib/lxvst vst3=/usr/local/lib/vst3 lv2=/usr/local/lib/lv2
  # CLAP hosts look only in /usr/lib/clap and ~/.clap.
  clap=/usr/lib/clap
  bin=/usr/local/bin man=/usr/local/share/man/man1
  record=/usr/local/share/lyrebloom/installed-files
else
  [ -n "${HOME:-}" ] || { echo "HOME is not set" >&2; exit 1; }
  vst=$HOME/.vst vst3=$HOME/.vst3 clap=$HOME/.clap lv2=$HOME/.lv2
  bin=$HOME/.local/bin man=$HOME/.local/share/man/man1
  record=$HOME/.local/share/lyrebloom/installed-files
fi

# The record lists every file this script wrote ("f PATH") and every folder it made
# ("d PATH"), parents before children; uninstalling undoes exactly those.
notes=$(mktemp)
trap 'rm -f "$notes"' EXIT
note() { grep -qxF "$1" "$notes" || printf '%s\n' "$1" >>"$notes"; }

make_dir() { # DIR: makes it and any missing parent, noting each folder made
  [ -d "$1" ] && return 0
  make_dir "$(dirname "$1")"
  mkdir "$1"
  note "d $1"
}

put_tree() { # FROM TO: every file under FROM to the same place under TO
  (cd "$1" && find . -type f) | sort | while IFS= read -r file; do
    file=${file#./}
    make_dir "$(dirname "$2/$file")"
    cp "$1/$file" "$2/$file"
    note "f $2/$file"
  done
}

install_all() {
  if [ "$scope" = system ] && command -v dpkg-query >/dev/null &&
    dpkg-query -W -f '${Status}' lyrebloom 2>/dev/null | grep -q "ok installed"; then
    echo "The lyrebloom package is installed; remove it first (apt remove lyrebloom)." >&2
    exit 1
  fi
  # An earlier install's record carries on, so one uninstall removes both.
  [ -f "$record" ] && cat "$record" >"$notes"
  make_dir "$(dirname "$record")"
  put_tree "$here/vst" "$vst"
  put_tree "$here/vst3" "$vst3"
  put_tree "$here/clap" "$clap"
  put_tree "$here/lv2" "$lv2"
  put_tree "$here/bin" "$bin"
  put_tree "$here/man" "$man"
  cp "$notes" "$record" && chmod 644 "$record"
  echo "ZEM Lyrebloom is installed:"
  echo "  VST 2.4  $vst"
  echo "  VST 3    $vst3"
  echo "  CLAP     $clap"
  echo "  LV2      $lv2"
  echo "  lyrebloom-render in $bin"
  if [ "$scope" = user ]; then
    echo "Ardour looks for VST 2.4 plug-ins in ~/.vst only once you add that folder to its"
    echo "Linux VST path (Preferences > Plugins > VST). Uninstall with: $0 --uninstall"
  else
    echo "Uninstall with: $0 --uninstall"
  fi
}

uninstall_all() {
  if [ ! -f "$record" ]; then
    echo "Nothing to uninstall: no record of an install ($record)." >&2
    exit 1
  fi
  sed -n 's/^f //p' "$record" | while IFS= read -r file; do rm -f "$file"; done
  # Folders last and children first; one that holds something else stays.
  sed -n 's/^d //p' "$record" | sed -n '1!G;h;$p' >"$notes"
  rm -f "$record"
  while IFS= read -r dir; do rmdir "$dir" 2>/dev/null || true; done <"$notes"
  echo "ZEM Lyrebloom is uninstalled."
}

if [ "$action" = install ]; then install_all; else uninstall_all; fi
