#!/usr/bin/env bash
# Kills writers of a data file with SIGKILL at random moments: keymora-cli
# import, passwd and merge, and the desktop program's save (through a small
# driver over its document window). After every kill the file must open with
# the old or the new credentials and hold exactly the old or the new document
# (ids and time stamps aside), and no file may be left beside it that holds
# plain text or that others may read.
# Usage: torture.sh KEYMORA_CLI [SAVE_DRIVER] [KILLS]
set -euo pipefail
driver=${2:+$(realpath "$2")}
kills=${3:-20}
source "$(dirname "$0")/common.sh" "$1"

# A document of a few thousand entries; "plaintext-marker" shows where clear text went.
awk 'BEGIN {
  printf "<datafile version=\"1.5\" filetype=\"private\"><records>"
  for (c = 1; c <= 30; c++) {
    printf "<category id=\"{C%d}\" type=\"category\" value=\"Category %d\">", c, c
    for (e = 1; e <= 100; e++)
      printf "<record_detail id=\"{E%d-%d}\" type=\"entry\"><resource>plaintext-marker %d.%d</resource><userid>user%d</userid><password>secret-%d-%d</password><notes>a note long enough to make the file a realistic size</notes><URL/></record_detail>", c, e, c, e, e, c, e
    printf "</category>"
  }
  printf "</records></datafile>"
}' > big.xml
encode pw big.xml old.kmf
awk 'BEGIN { print "Account,Login Name,Password,Web Site,Comments"
  for (i = 1; i <= 200; i++) printf "site %d,login %d,pass %d,https://example.com/%d,\n", i, i, i, i }' > rows.csv
printf '<datafile version="1.5" filetype="private"><records><category id="{M1}" type="category" value="Category 3"><record_detail id="{M2}" type="entry"><resource>merged one</resource><URL/></record_detail></category><category id="{M3}" type="category" value="From elsewhere"/></records></datafile>' > src.xml
encode sp src.xml src.kmf

# The document with its generated ids and time stamps blotted out.
normalised() {
  sed -E 's/\{[0-9A-F-]{36}\}/{ID}/g; s#[0-9]{1,2}/[0-9]{1,2}/[0-9]{4} [0-9]{1,2}:[0-9]{2}:[0-9]{2} [AP]M#DATE#g'
}
opened() { { printf '%s\n' "$2" | "$cli" cat -u me "$1" 2> /dev/null || true; } | normalised; }

# Each operation: its command line, its standard input, and the password of the result.
declare -A args input newpw
args[import]="import -u me t.kmf rows.csv";  input[import]=$'pw\n';           newpw[import]=pw
args[passwd]="passwd -u me t.kmf";           input[passwd]=$'pw\nnew\nnew\n'; newpw[passwd]=new
args[merge]="merge -u me t.kmf src.kmf";     input[merge]=$'pw\nsp\n';        newpw[merge]=pw
ops=(import passwd merge)
if [[ -n "$driver" ]]; then ops+=(save); newpw[save]=new; fi

start() {  # op -> runs it on t.kmf in the background
  if [[ $1 == save ]]; then
    QT_QPA_PLATFORM=offscreen "$driver" t.kmf me pw new > /dev/null 2>&1 &
  else
    # shellcheck disable=SC2086
    "$cli" ${args[$1]} <<< "${input[$1]}" > /dev/null 2>&1 &
  fi
}

declare -A after micros
before=$(opened old.kmf pw)
[[ -n "$before" ]] || fail "the first document does not open"
for op in "${ops[@]}"; do
  cp old.kmf t.kmf
  t0=$(date +%s%N); start "$op"; wait $! || fail "$op does not finish without a kill"
  micros[$op]=$(( ($(date +%s%N) - t0) / 1000 ))
  after[$op]=$(opened t.kmf "${newpw[$op]}")
  [[ -n "${after[$op]}" && "${after[$op]}" != "$before" ]] || fail "$op changed nothing"
done

declare -A hits
for ((i = 0; i < kills; i++)); do
  op=${ops[i % ${#ops[@]}]}
  rm -f t.kmf .t.kmf.*; cp old.kmf t.kmf
  # Anywhere from the start to a little past the usual end.
  delay=$(( (RANDOM * 32768 + RANDOM) % (micros[$op] * 11 / 10 + 1) ))
  start "$op"; pid=$!
  sleep "$(printf '0.%06d' "$delay")" 2> /dev/null || sleep 0
  kill -KILL "$pid" 2> /dev/null || true
  wait "$pid" 2> /dev/null || true

  now=$(opened t.kmf pw)
  if [[ "$now" == "$before" ]]; then hits[$op-old]=$(( ${hits[$op-old]:-0} + 1 ))
  elif [[ "$(opened t.kmf "${newpw[$op]}")" == "${after[$op]}" ]]; then hits[$op-new]=$(( ${hits[$op-new]:-0} + 1 ))
  else
    fail "kill $i of $op after ${delay}us: the file holds neither the old nor the new document"
  fi

  for f in .t.kmf.* ; do
    [[ -e "$f" ]] || continue
    [[ $(stat -c %a "$f") == 600 ]] || fail "$op left $f readable by others"
    ! grep -q plaintext-marker "$f" || fail "$op left clear text in $f"
  done
done
for op in "${ops[@]}"; do echo "$op: ${hits[$op-old]:-0} old, ${hits[$op-new]:-0} new"; done
