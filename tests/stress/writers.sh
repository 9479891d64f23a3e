#!/usr/bin/env bash
# Ten keymora-cli writers on one file at once, a few rounds: every command
# that reported success is in the file, every other one reported failure, and
# nothing else changed.
# Usage: writers.sh KEYMORA_CLI [ROUNDS]
set -euo pipefail
rounds=${2:-3}
source "$(dirname "$0")/common.sh" "$1"

awk 'BEGIN {
  printf "<datafile version=\"1.5\" filetype=\"shared\"><records><category id=\"{C}\" type=\"category\" value=\"Base\">"
  for (e = 1; e <= 2000; e++) printf "<record_detail id=\"{E%d}\" type=\"entry\"><resource>base %d</resource><URL/></record_detail>", e, e
  printf "</category></records></datafile>"
}' > base.xml
encode pw base.xml t.kmf
entries() { printf 'pw\n' | "$cli" cat -u me t.kmf | grep -o '<record_detail ' | wc -l; }
expected=$(entries)

for ((round = 1; round <= rounds; round++)); do
  pids=()
  for i in $(seq 1 10); do
    tag="round$round-writer$i"
    if (( i % 2 )); then
      printf 'Account,Login Name,Password,Web Site,Comments\n%s,u,p,,\n' "$tag" > "$i.csv"
      "$cli" import -u me t.kmf "$i.csv" <<< 'pw' > "$i.out" 2>&1 & pids+=($!)
    else
      printf '<datafile version="1.5" filetype="private"><records><category id="{S}" type="category" value="%s"><record_detail id="{R}" type="entry"><resource>%s</resource><URL/></record_detail></category></records></datafile>' "$tag" "$tag" > "$i.xml"
      encode sp --force "$i.xml" "$i.kmf"
      "$cli" merge -u me t.kmf "$i.kmf" <<< $'pw\nsp' > "$i.out" 2>&1 & pids+=($!)
    fi
  done
  succeeded=0
  statuses=()
  for i in $(seq 1 10); do
    if wait "${pids[i-1]}"; then statuses[i]=0; else statuses[i]=1; fi
  done
  text=$(printf 'pw\n' | "$cli" cat -u me t.kmf) || fail "round $round: the file does not open"
  for i in $(seq 1 10); do
    tag="round$round-writer$i"
    found=$( (grep -o "<resource>$tag</resource>" || true) <<< "$text" | wc -l)
    if (( statuses[i] == 0 )); then
      (( found == 1 )) || fail "round $round: writer $i reported success but is in the file $found times: $(cat "$i.out")"
      succeeded=$((succeeded + 1))
    else
      (( found == 0 )) || fail "round $round: writer $i reported failure but is in the file"
      grep -q "File in use" "$i.out" || fail "round $round: writer $i failed for another reason: $(cat "$i.out")"
    fi
  done
  expected=$((expected + succeeded))
  [[ $(entries) == "$expected" ]] || fail "round $round: $(entries) entries, expected $expected"
  echo "round $round: $succeeded of 10 writers succeeded"
done
