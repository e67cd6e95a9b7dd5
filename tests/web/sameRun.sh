#!/bin/sh
# Runs shoalsim natively and as WebAssembly under node with the same
# arguments, each in its own folder, and fails unless the trace, the
# statistics, the log and the closing summary are the same bytes.
# usage: sameRun.sh NODE WEB_SHOALSIM NATIVE_SHOALSIM WORKDIR ARGS...
set -eu
node=$1 web=$2 native=$3 work=$4
shift 4
rm -rf "$work"
mkdir -p "$work/native" "$work/web"
run() {
  (cd "$work/$1" && shift && "$@" --trace trace.jsonl --trace-every 10 --stats stats.csv 2>summary.txt)
}
run native "$native" "$@"
run web "$node" "$web" "$@"
status=0
for file in trace.jsonl stats.csv summary.txt Log.txt; do
  # shoalgen2 writes no log: neither may then have one.
  [ -e "$work/native/$file" ] || [ -e "$work/web/$file" ] || continue
  cmp "$work/native/$file" "$work/web/$file" || status=1
done
[ -s "$work/native/trace.jsonl" ] || { echo "no trace written"; status=1; }
exit $status
