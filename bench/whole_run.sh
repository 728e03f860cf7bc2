#!/bin/sh
# How long a whole run takes, against the bare launch of the plotter: the
# installed tool and a minimal C program that only runs the same command
# line through system(), each with a stand-in plotter that exits at once,
# in the same folder and on the same input. A benchmark to run by hand.
#
#   bench/whole_run.sh [TOOL]    TOOL defaults to the release build's
#                                installed disol_ideal, built if missing
#
# hyperfine gives no input to what it runs, so both programs are started
# through the same tiny static `feed`, which puts the input on standard
# input and execs the program; its own cost is shown too. The rounds
# alternate their order, and the ratio is that of the medians of all runs.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
. "$top/scripts/deps.sh"
install_missing hyperfine gcc libc6-dev cmake make g++

tool=${1:-$top/build/release/install/bin/disol_ideal}
if [ "$#" -eq 0 ]; then
    (cd "$top" && cmake --preset release >/dev/null && cmake --build --preset release >/dev/null &&
        cmake --install build/release >/dev/null)
fi
tool=$(cd "$(dirname "$tool")" && pwd)/$(basename "$tool")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin" "$work/run"
cat >"$work/minimal.c" <<'C'
#include <stdlib.h>
int main(void) { return system("wgnuplot Disol_ideal.gnp -") == 0 ? 0 : 1; }
C
cat >"$work/noop.c" <<'C'
int main(void) { return 0; }
C
cat >"$work/feed.c" <<'C'
#include <fcntl.h>
#include <unistd.h>
int main(int argc, char** argv)
{
    if (argc < 3) return 2;
    int fd = open(argv[1], O_RDONLY);
    if (fd < 0 || dup2(fd, 0) < 0) return 2;
    close(fd);
    execv(argv[2], argv + 2);
    return 127;
}
C
cc -O2 -o "$work/minimal" "$work/minimal.c"
cc -O2 -o "$work/bin/wgnuplot" "$work/noop.c"
cc -O2 -static -o "$work/noop" "$work/noop.c"
cc -O2 -static -o "$work/feed" "$work/feed.c"
printf '350 380\n3500 4000\n' >"$work/input.txt"

cd "$work/run"
export PATH="$work/bin:/usr/bin:/bin"
feed="$work/feed $work/input.txt"
rounds=6
i=1
while [ "$i" -le "$rounds" ]; do
    if [ $((i % 2)) -eq 1 ]; then
        set -- "$feed $tool" "$feed $work/minimal"
    else
        set -- "$feed $work/minimal" "$feed $tool"
    fi
    hyperfine -N --style none -w 10 -r 100 --export-json "$work/round$i.json" "$@" >/dev/null
    i=$((i + 1))
done
hyperfine -N --style none -w 10 -r 200 --export-json "$work/feed.json" "$feed $work/noop" >/dev/null

# The median of every run of one command, in milliseconds.
median() {
    cat "$work"/round*.json "$work/feed.json" | tr -s ' \n' ' ' | sed 's/} *, *{/}\n{/g' |
        grep -F "\"command\": \"$1\"" | sed 's/.*"times": *\[\([^]]*\)\].*/\1/' |
        tr ', ' '\n\n' | grep . | sort -g | awk '{ t[NR] = $1 } END { m = (NR % 2) ? t[(NR + 1) / 2] : (t[NR / 2] + t[NR / 2 + 1]) / 2; printf "%.3f", m * 1000 }'
}
tool_ms=$(median "$feed $tool")
minimal_ms=$(median "$feed $work/minimal")
feed_ms=$(median "$feed $work/noop")
echo "whole run of $tool: $tool_ms ms (median)"
echo "system(\"wgnuplot Disol_ideal.gnp -\") alone: $minimal_ms ms"
echo "the feed itself, with a program that does nothing: $feed_ms ms"
awk -v a="$tool_ms" -v b="$minimal_ms" -v f="$feed_ms" 'BEGIN {
    printf "ratio: %.2f (without the feed in both: %.2f)\n", a / b, (a - f) / (b - f) }'
