#!/usr/bin/env bash
# lexitor-words on big and endless input: memory stays under 100 MB whatever the input, and a
# 5-million-line list takes at most twice as long as the same job done with standard tools
# (grep -E, tr, sort -u, sqlite3 .import into the same tables).
# Usage: bench_lexitor_words.sh LEXITOR_WORDS
set -euo pipefail
tool=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
limit_kb=$((100 * 1024))
failed=0

# 5,000,000 lines: words of 2 to 9 letters in both cases, a pool of repeated 4-letter words and
# lines that are not words.
awk 'BEGIN {
  srand(1); letters = "abcdefghijklmnopqrstuvwxyz"
  for (i = 0; i < 30000; i++) { w = ""; for (k = 0; k < 4; k++) w = w substr(letters, int(rand() * 26) + 1, 1); pool[i] = w }
  for (n = 0; n < 5000000; n++) {
    r = rand(); w = ""
    if (r < 0.3) w = pool[int(rand() * 30000)]
    else { len = r < 0.5 ? 3 : r < 0.6 ? 2 : r < 0.9 ? 5 + int(rand() * 5) : 3
           for (k = 0; k < len; k++) w = w substr(letters, int(rand() * 26) + 1, 1)
           if (r >= 0.9) w = w "1" }
    print (rand() < 0.5 ? toupper(w) : w)
  } }' >"$work/list.txt"
for _ in 1 2 3 4 5 6 7 8; do cat "$work/list.txt"; done >"$work/big.txt"

# In the C locale, where these tools are fastest.
standard() (
  export LC_ALL=C
  local dir=$work/standard
  mkdir -p "$dir" && rm -f "$dir/db"
  grep -E '^[A-Za-z]{2,4}$' "$1" | tr a-z A-Z | sort -u >"$dir/all"
  for n in 2 3 4; do grep -E "^.{$n}\$" "$dir/all" >"$dir/$n" || true; done
  sqlite3 "$dir/db" <<SQL
CREATE TABLE tblTwoWords (fldword TEXT NOT NULL PRIMARY KEY CHECK (length(fldword) = 2)) WITHOUT ROWID;
CREATE VIEW qryTwoWords AS SELECT fldword FROM tblTwoWords;
CREATE TABLE tblThreeWords (fldword TEXT NOT NULL PRIMARY KEY CHECK (length(fldword) = 3)) WITHOUT ROWID;
CREATE VIEW qryThreeWords AS SELECT fldword FROM tblThreeWords;
CREATE TABLE tblFourWords (fldword TEXT NOT NULL PRIMARY KEY CHECK (length(fldword) = 4)) WITHOUT ROWID;
CREATE VIEW qryFourWords AS SELECT fldword FROM tblFourWords;
.import $dir/2 tblTwoWords
.import $dir/3 tblThreeWords
.import $dir/4 tblFourWords
SQL
)

# Runs the tool under /usr/bin/time; sets seconds, kb and status.
measure() {
  /usr/bin/time -o "$work/time" -f '%e %M' "$@" >/dev/null 2>"$work/err" || true
  read -r seconds kb < <(tail -n 1 "$work/time")
  status=$(tail -n 1 "$work/err")
}

check_memory() {
  if [ "$kb" -ge "$limit_kb" ]; then
    echo "FAILED: $1 peaked at $((kb / 1024)) MB" >&2
    failed=1
  fi
}

start=$(date +%s.%N)
standard "$work/list.txt"
standard_seconds=$(echo "$(date +%s.%N) - $start" | bc)
measure "$tool" -q "$work/list.txt" "$work/db"
tool_seconds=$seconds
echo "RESULT 5,000,000 lines: lexitor-words ${tool_seconds} s, $((kb / 1024)) MB; standard tools ${standard_seconds} s"
check_memory "the 5-million-line list"
for n in Two Three Four; do
  if [ "$(sqlite3 "$work/db" "SELECT fldword FROM qry${n}Words" | md5sum)" != \
    "$(sqlite3 "$work/standard/db" "SELECT fldword FROM qry${n}Words" | md5sum)" ]; then
    echo "FAILED: the tblXWords tables differ from the standard tools' for $n" >&2
    failed=1
  fi
done
if [ "$(echo "$tool_seconds > 2 * $standard_seconds" | bc)" -eq 1 ]; then
  echo "FAILED: more than twice the standard tools' time" >&2
  failed=1
fi

measure "$tool" -q "$work/big.txt" "$work/db"
echo "RESULT $(($(stat -c %s "$work/big.txt") / 1000000)) MB list: ${seconds} s, $((kb / 1024)) MB"
check_memory "the big list"

measure "$tool" /dev/zero "$work/db"
echo "RESULT /dev/zero: ${seconds} s, $((kb / 1024)) MB: $status"
check_memory "/dev/zero"

# Endless valid lines, stopped by SIGTERM after 10 s: bounded memory and nothing left behind.
yes aa | "$tool" -q - "$work/db" &
pid=$!
sleep 10
kb=$(awk '/^VmHWM/ { print $2 }' "/proc/$pid/status")
kill -TERM "$pid"
wait "$pid" || true
echo "RESULT endless 'aa' lines for 10 s: $((kb / 1024)) MB"
check_memory "endless lines"
if ls -A "$work" | grep -q '^\.db\.'; then
  echo "FAILED: temporary files left: $(ls -A "$work")" >&2
  failed=1
fi
exit $failed
