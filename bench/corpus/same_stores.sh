#!/usr/bin/env bash
# Trains and scores the corpus's split with two native builds under one frozen clock and tells
# whether their ".Stat" files hold the same records and their logs say the same (the
# columns of time, heap and milliseconds and the item pointers left out). A change meant to make
# the statistics faster must leave both alike.
#   bench/corpus/same_stores.sh OLD_DIR NEW_DIR   (each holding qbxhost and QBX.tbp; after
#                                                  run_corpus.sh has split the corpus; the
#                                                  split QBX_CORPUS_SPLIT, default 1-on-2)
# Needs faketime (Debian package faketime).
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
RUN="$ROOT/build/corpus/run/${QBX_CORPUS_SPLIT:-1-on-2}"
[ $# -eq 2 ] || { echo "usage: $0 OLD_DIR NEW_DIR" >&2; exit 2; }
command -v faketime >/dev/null || { echo "faketime is missing (apt-get install faketime)" >&2; exit 2; }
[ -d "$RUN/spam-train" ] || { echo "no split corpus in $RUN: run run_corpus.sh first" >&2; exit 2; }

WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT

# One build's stores and log texts into $WORK/$2; the home is always the same path, as the
# log names it.
train() {
  local bin="$1" out="$WORK/$2" home="$WORK/home"
  rm -rf "$home"
  mkdir -p "$home" "$out"
  printf '[Software\\ZVX]\nEnable antispam=1\nStatistics Flags=65535\nStatistics reset=88\n' \
    >"$home/registry.ini"
  local run=(setarch -R faketime -f '2026-03-04 05:06:07' "$bin/qbxhost" --plugin "$bin/QBX.tbp"
    --home "$home")
  "${run[@]}" feed spam "$RUN/spam-train" >/dev/null
  "${run[@]}" feed ham "$RUN/ham-train" >/dev/null
  "${run[@]}" score "$RUN/spam-test" "$RUN/ham-test" >"$out/scores.txt"
  sed -E 's/^\[[^]]*\] \[[^]]*\] \[[^]]*\]: //; s/ is [0-9A-F]{16}\r$/ is PTR/' \
    "$home/tmp/-QBX.log" >"$out/log.txt"
  cp "$home/Plugins/Statistics/"*.Stat "$out/"
}

train "$(cd "$1" && pwd)" old
train "$(cd "$2" && pwd)" new
status=0
# The records the files hold: a long file is deflated in blocks, whose bytes depend on where
# the blocks begin.
inflated() { python3 -c 'import sys, zlib; sys.stdout.buffer.write(zlib.decompress(open(sys.argv[1], "rb").read()))' "$1"; }
for file in "$WORK"/old/*.Stat; do
  name="$(basename "$file")"
  if cmp -s <(inflated "$file") <(inflated "$WORK/new/$name"); then
    echo "same    $name"
  else
    echo "DIFFERS $name"
    status=1
  fi
done
cmp -s "$WORK/old/log.txt" "$WORK/new/log.txt" && echo "same    log ($(wc -l <"$WORK/new/log.txt") lines)" ||
  { echo "DIFFERS log"; status=1; }
cmp -s "$WORK/old/scores.txt" "$WORK/new/scores.txt" && echo "same    scores" ||
  { echo "DIFFERS scores"; status=1; }
exit $status
