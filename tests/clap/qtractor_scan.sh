#!/bin/sh
# Debian's Qtractor plug-in scanner reads "CLAP:<path>" and prints one line per plug-in:
# type|name|audio in:out|midi in:out|params in:out|flags|path|index|id. Ours must be listed
# with its stereo ports, its nine parameters and its state (EXT).
scanner=/usr/lib/x86_64-linux-gnu/qtractor/qtractor_plugin_scan
[ -x "$scanner" ] || { echo "no $scanner (package qtractor)"; exit 77; }
line=$(echo "CLAP:$1" | timeout 60 "$scanner" 2>/dev/null | grep '^CLAP|')
echo "$line"
case "$line" in
  "CLAP|ZEM Lyrebloom|2:2|0:0|9:0|"*EXT*"|$1|0|"*) exit 0 ;;
  *) exit 1 ;;
esac
