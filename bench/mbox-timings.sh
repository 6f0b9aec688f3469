#!/usr/bin/env bash
# Whole-process timings of the mailbox reader against a plain GMime mbox-mode
# loop and Python's mailbox module (peers, used only for comparison), with
# grep counting the separator lines as the floor; from a warm cache.
#   bench/mbox-timings.sh [MEGABYTES] [BUILD]   defaults: 250 build/release
# Needs the release build of quenby and bench_mbox_load (the memory a
# mailbox list holds), GMime's headers and python3.
set -euo pipefail
cd "$(dirname "$0")/.."
megabytes=${1:-250}
build=${2:-build/release}
quenby=$build/src/cli/quenby
load=$build/bench/bench_mbox_load
corpus=../shared/corpus
for tool in "$quenby" "$load"; do
  [ -x "$tool" ] || { echo "missing $tool: ninja -C $build quenby bench_mbox_load" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
file=$work/Bench.mbox
# Ordinary text mail, about 3.5 KB a message.
messages=("$corpus"/mbox/mbox.rlug-? "$corpus"/eml/mime4j/{example,basic-plain-very-long-lines,very-long-boundary,simple-attachment}.msg)
count=$(bench/mbox-generate.py "$file" "$megabytes" "${messages[@]}")
bytes=$(stat -c %s "$file")
cc -O2 bench/gmime-mbox-loop.c $(pkg-config --cflags --libs gmime-3.0) -o "$work/gmime-loop"
cat "$file" >/dev/null  # warm the page cache

source bench/best.sh
none() { :; }

read -r quenby_wall quenby_cpu < <(best none "$quenby" list "$file")
read -r gmime gmime_cpu < <(best none "$work/gmime-loop" "$file")
read -r python python_cpu < <(best none python3 bench/mbox-python.py "$file")
# Through a pipe: grep writing to /dev/null stops at its first match.
read -r grep grep_cpu < <(best none bash -c 'grep -c "^From " "$1" | cat' grep "$file")

counted() { "$@" "$file" | cut -d' ' -f1; }
peak() { /usr/bin/time -f %M -o "$work/rss" "$@" "$file" >/dev/null && echo $(($(cat "$work/rss") / 1024)); }
read -r loaded _ gained stored overhead < <("$load" "$file")

mb=$(echo "scale=1; $bytes / 1000000" | bc)
# Times below the clock's 10 ms give no rate.
zero() { [ "$(echo "$1 == 0" | bc)" = 1 ]; }
rate() { if zero "$1"; then echo "-"; else echo "scale=0; $bytes / 1000000 / $1" | bc; fi; }
per() { if zero "$1"; then echo "-"; else echo "scale=0; $count / $1" | bc; fi; }
ratio() { if zero "$quenby_wall"; then echo "-"; else echo "scale=3; $1 / $quenby_wall" | bc; fi; }
echo "file:          $count messages, $mb MB"
echo "quenby list:   ${quenby_wall}s (cpu ${quenby_cpu}s), $(rate "$quenby_wall") MB/s, $(per "$quenby_wall") msg/s, $(( $("$quenby" list "$file" | wc -l) - 1 )) messages, peak $(peak "$quenby" list) MB"
echo "gmime mbox:    ${gmime}s (cpu ${gmime_cpu}s), $(rate "$gmime") MB/s, $(ratio "$gmime")x quenby, $(counted "$work/gmime-loop") messages, peak $(peak "$work/gmime-loop") MB"
echo "python mbox:   ${python}s (cpu ${python_cpu}s), $(rate "$python") MB/s, $(ratio "$python")x quenby, $(counted python3 bench/mbox-python.py) messages, peak $(peak python3 bench/mbox-python.py) MB"
echo "grep -c:       ${grep}s, $(rate "$grep") MB/s, $(ratio "$grep")x quenby, $(counted grep -c '^From ') separators"
echo "memory:        $((gained / 1000000)) MB resident after the load ($(echo "scale=2; $gained / $bytes" | bc)x the file)," \
  "$((stored / 1000000)) MB of texts, $overhead bytes a message beyond its text"
