#!/usr/bin/env bash
# splitcat against the text tools doing the same job, on the same file, in the same run.
#
#   bench/splitcat_throughput.sh build/tools/splitcat [MB] [RUNS]
#
# Generates lines of 2 to 12 comma-separated fields of 1 to 8 letters (MB megabytes of them,
# 200 by default), and a file as large of fields of 60 to 140 letters, then for each pair of
# commands compares their outputs byte for byte and times them in turn, RUNS times each (5 by
# default), output thrown away. It prints the median wall time of each, the ratio of splitcat's
# to the peer's (below 1.00: splitcat takes less time) and, for the spread, the ratios of the
# fastest and of the slowest runs. Last, a 500 MB line with no delimiter goes through stream mode
# while /usr/bin/time watches its peak resident memory, which must stay under 64 MiB. The status
# is 1 when an output differs from its peer's or the memory goes over.
set -euo pipefail

splitcat=${1:?usage: $0 path/to/splitcat [MB] [RUNS]}
megabytes=${2:-200}
runs=${3:-5}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# About a megabyte of lines of `fields` fields (from..to of them) of `from`..`to` letters.
generate() {
  awk -v least="$1" -v most="$2" -v shortest="$3" -v longest="$4" 'BEGIN {
    srand(1); size = 0
    while (size < 1048576) {
      fields = least + int(rand() * (most - least + 1)); line = ""
      for (f = 0; f < fields; ++f) {
        n = shortest + int(rand() * (longest - shortest + 1)); word = ""
        for (i = 0; i < n; ++i) word = word substr("abcdefghijklmnopqrstuvwxyz", 1 + int(rand() * 26), 1)
        line = line (f ? "," : "") word
      }
      print line; size += length(line) + 1
    }
  }' > "$work/block"
  for ((i = 0; i < megabytes; ++i)); do cat "$work/block"; done
}
generate 2 12 1 8 > "$work/short.csv"
generate 2 6 60 140 > "$work/long.csv"

now() { date +%s%N; }

# The median of the numbers on standard input.
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

seconds() { awk -v ns="$1" 'BEGIN { printf "%.3f", ns / 1e9 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

printf '%s MB of short fields, %s MB of long ones, %s runs each\n\n' \
  "$(stat -c %s "$work/short.csv" | awk '{ printf "%.0f", $1 / 1e6 }')" \
  "$(stat -c %s "$work/long.csv" | awk '{ printf "%.0f", $1 / 1e6 }')" "$runs"
printf '%-34s %-34s %8s %8s %7s   %s\n' "splitcat" "peer" "s" "peer s" "ratio" "fastest..slowest  outputs"

# compare NAME PEER_NAME SPLITCAT_COMMAND PEER_COMMAND: each a shell command line whose output
# is thrown away when timed.
compare() {
  local name=$1 peer_name=$2 ours=$3 theirs=$4 verdict
  if cmp -s <(bash -c "$ours") <(bash -c "$theirs"); then
    verdict=same
  else
    verdict=DIFFERENT
    failed=1
  fi
  local a=() b=() start
  for ((run = 0; run < runs; ++run)); do
    start=$(now); bash -c "$ours" > /dev/null; a+=($(($(now) - start)))
    start=$(now); bash -c "$theirs" > /dev/null; b+=($(($(now) - start)))
  done
  local ma mb
  ma=$(printf '%s\n' "${a[@]}" | median)
  mb=$(printf '%s\n' "${b[@]}" | median)
  printf '%-34s %-34s %8s %8s %6sx   %sx..%sx  %s\n' "$name" "$peer_name" "$(seconds "$ma")" \
    "$(seconds "$mb")" "$(ratio "$ma" "$mb")" \
    "$(ratio "$(printf '%s\n' "${a[@]}" | sort -n | head -1)" "$(printf '%s\n' "${b[@]}" | sort -n | head -1)")" \
    "$(ratio "$(printf '%s\n' "${a[@]}" | sort -n | tail -1)" "$(printf '%s\n' "${b[@]}" | sort -n | tail -1)")" \
    "$verdict"
}

failed=0
short=$work/short.csv
long=$work/long.csv
compare "--one-of , (short fields)" "tr , '\\n'" "'$splitcat' --one-of , '$short'" "tr , '\\n' < '$short'"
compare "--one-of , (long fields)" "tr , '\\n'" "'$splitcat' --one-of , '$long'" "tr , '\\n' < '$long'"
compare "-d, -f2" "cut -d, -f2" "'$splitcat' -d, -f2 '$short'" "cut -d, -f2 '$short'"
compare "-d, -f2" "awk -F, '{print \$2}'" "'$splitcat' -d, -f2 '$short'" "awk -F, '{print \$2}' '$short'"
compare "-d, -f1,3-" "cut -d, -f1,3-" "'$splitcat' -d, -f1,3- '$short'" "cut -d, -f1,3- '$short'"
compare "--lines" "cat" "'$splitcat' --lines '$short'" "cat '$short'"
echo
echo "ratio: splitcat's median time over the peer's (below 1.00: splitcat takes less time)"

echo
peak=$(head -c 500000000 /dev/zero | tr '\0' x | { /usr/bin/time -f %M "$splitcat" --one-of , > /dev/null; } 2>&1)
if [[ $peak -lt $((64 << 10)) ]]; then
  verdict=ok
else
  verdict="OVER 64 MiB"
  failed=1
fi
printf 'a 500 MB line through --one-of ,: peak resident memory %s KiB (%s)\n' "$peak" "$verdict"
exit "$failed"
