#!/usr/bin/env bash
# The five-state busy beaver champion from its notation to its halt in one piece: veltra-cli
# construct --tm builds its net, veltra-cli run --machine runs it until it finishes by itself
# (94,353,742 net steps) and prints where the machine stopped. Prints the load average before
# and after, the machine's figures, the wall and CPU time of the two commands together, and,
# measured in the same run, a direct simulation of the machine (turing_bench --bb5) as a peer.
#   bench/bb5_run.sh [BUILD_DIR]     (default build/bench, as tools/bench.sh makes it)
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build/bench}
cli=$dir/src/cli/veltra-cli
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
/usr/bin/time -f "wall_s=%e user_s=%U sys_s=%S maxrss_kb=%M" -o "$work/time" bash -c '
    "$1" construct --tm 1RB1LC_1RC1RB_1RD0LE_1LA1LD_1RZ0LA "$2/bb5.net" &&
        "$1" run "$2/bb5.net" --machine | tail -n 2 >"$2/out"' _ "$cli" "$work"
echo "load average after:  $(cut -d' ' -f1-3 /proc/loadavg)"
# The line without its 12,289 cells of tape.
sed -n 's/ tape=.*//p' "$work/out"
tail -n 1 "$work/out"
echo "net: $(cat "$work/time")"
"$dir/bench/turing_bench" --bb5
grep -q '^machine: steps=47176870 halted=yes state=Z nonblank=4098 ' "$work/out" ||
    { echo "the run did not end as the champion does" >&2; exit 1; }
