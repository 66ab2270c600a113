#!/usr/bin/env bash
# splitcat's throughput against the standard text tools doing the same cut, in the same run.
#
#   bench/splitcat_throughput.sh build/tools/splitcat [MiB]
#
# Generates comma-separated lines (MiB of them, 256 by default), then times each command on
# that file with its output thrown away, the best of three runs, and prints megabytes of input
# per second for splitcat and for its peer, and their ratio. Before timing, each pair's outputs
# are compared: the peers write the same pieces, one per line, except that splitcat also ends
# the last piece after the last delimiter with a newline where `tr` and `sed` leave the input's.
set -euo pipefail

splitcat=${1:?usage: $0 path/to/splitcat [MiB]}
mib=${2:-256}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# About a megabyte of lines of 1 to 8 fields of 3 to 12 letters, separated by ", ".
awk 'BEGIN {
  srand(1); size = 0
  while (size < 1048576) {
    fields = 1 + int(rand() * 8); line = ""
    for (f = 0; f < fields; ++f) {
      length_ = 3 + int(rand() * 10); word = ""
      for (i = 0; i < length_; ++i) word = word substr("abcdefghijklmnopqrstuvwxyz", 1 + int(rand() * 26), 1)
      line = line (f ? ", " : "") word
    }
    print line; size += length(line) + 1
  }
}' > "$work/block"
for ((i = 0; i < mib; ++i)); do cat "$work/block"; done > "$work/input"
bytes=$(stat -c %s "$work/input")

# The best wall time of three runs of a command on the input, in seconds.
best_of_three() {
  local best="" start end elapsed
  for _ in 1 2 3; do
    start=$(date +%s%N)
    "$@" < "$work/input" > /dev/null
    end=$(date +%s%N)
    elapsed=$((end - start))
    if [[ -z $best || $elapsed -lt $best ]]; then best=$elapsed; fi
  done
  echo "$best"
}

# Whether two commands write the same text, apart from one newline at the end.
same_pieces() {
  "$1" "${@:3:$2}" < "$work/input" > "$work/a"
  shift $(($2 + 2))
  "$@" < "$work/input" > "$work/b"
  if cmp -s "$work/a" "$work/b"; then echo same; return; fi
  if cmp -s <(head -c -1 "$work/a") "$work/b" || cmp -s "$work/a" <(head -c -1 "$work/b"); then
    echo "same but a final newline"
  else
    echo DIFFERENT
  fi
}

mbps() { awk -v b="$bytes" -v ns="$1" 'BEGIN { printf "%.0f", b / 1e6 / (ns / 1e9) }'; }

printf '%s MB of input\n\n' "$(awk -v b="$bytes" 'BEGIN { printf "%.1f", b / 1e6 }')"
printf '%-26s %9s   %-26s %9s   %7s   %s\n' "splitcat" "MB/s" "peer" "MB/s" "ratio" "outputs"
compare() {
  local name=$1 peer_name=$2 n=$3
  shift 3
  local ours=("${@:1:$n}")
  local theirs=("${@:$((n + 1))}")
  local verdict
  verdict=$(same_pieces "$splitcat" "$n" "${ours[@]}" "${theirs[@]}")
  local t1 t2
  t1=$(best_of_three "$splitcat" "${ours[@]}")
  t2=$(best_of_three "${theirs[@]}")
  printf '%-26s %9s   %-26s %9s   %7s   %s\n' "$name" "$(mbps "$t1")" "$peer_name" "$(mbps "$t2")" \
    "$(awk -v a="$t2" -v b="$t1" 'BEGIN { printf "%.2fx", a / b }')" "$verdict"
}

compare "--one-of ," "tr , '\\n'" 2 --one-of , tr , '\n'
compare "--on ', '" "sed 's/, /\\n/g'" 2 --on ', ' sed 's/, /\n/g'
compare "--lines" "cut -d, -f1-" 1 --lines cut -d, -f1-
compare "--words" "tr -s ' \\n' '\\n'" 1 --words tr -s ' \n' '\n'
echo
echo "ratio: splitcat's throughput over the peer's (above 1: splitcat is faster)"
