#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Converts many files on several machines at once with GNU parallel. Each
# machine takes the files a handful at a time and converts them with its own
# kelvaro-cli, which uses all of that machine's processors; the files and the
# output folder must have the same paths on every machine (a shared file
# system, say). The JSON result of each file comes back to standard output as
# its handful ends, then one summary of the whole run:
#   {"summary": {"files": 120, "converted": 117, "failed": 1, "skipped": 2,
#                "unanswered": 0, "elapsed_seconds": 95.2}}
# where "unanswered" counts files whose machine gave no result (it could not
# be reached, or kelvaro-cli is missing there).
#
# Usage: parallel-convert.sh [-S LOGINS] [-n FILES] -o DIR [-- CONVERT-OPTIONS...] < FILE-LIST
#   -S LOGINS  GNU parallel's --sshlogin: "alice@host1,host2"; ":" is this
#              machine (the default)
#   -n FILES   files per kelvaro-cli run (default 8)
#   -o DIR     the output folder
#   CONVERT-OPTIONS go to every "kelvaro-cli convert" (-r 22050 --if-exists skip)
# The file list holds one file name a line (find ~/archive -name '*.wma').
# Exit status: 0 when every file converted or was skipped, 1 otherwise, 2 for
# bad usage.
set -euo pipefail

logins=:
per_run=8
output=
usage() {
  echo "usage: parallel-convert.sh [-S LOGINS] [-n FILES] -o DIR [-- CONVERT-OPTIONS...] < FILE-LIST" >&2
  exit 2
}
while getopts "S:n:o:" option; do
  case $option in
    S) logins=$OPTARG ;;
    n) per_run=$OPTARG ;;
    o) output=$OPTARG ;;
    *) usage ;;
  esac
done
shift $((OPTIND - 1))
[ -n "$output" ] || usage
command -v parallel >/dev/null && command -v jq >/dev/null || { echo "needs GNU parallel and jq" >&2; exit 2; }

list=$(mktemp)
results=$(mktemp)
trap 'rm -f "$list" "$results"' EXIT
grep -v '^$' >"$list" || true
started=$(date +%s.%N)

# One job per machine at a time; --workdir . runs each where this one runs.
# A run that fails some files still gave their results: parallel goes on.
parallel --sshlogin "$logins" --jobs 1 --max-args "$per_run" --workdir . --quote \
  --arg-file "$list" kelvaro-cli convert --json --quiet -o "$output" "$@" -- \
  | tee "$results" | jq --compact-output --unbuffered 'select(has("summary") | not)' || true

ended=$(date +%s.%N)
summary=$(jq --slurp --compact-output --argjson files "$(wc -l <"$list")" \
  --argjson started "$started" --argjson ended "$ended" '
  [.[] | select(has("summary") | not)] as $done
  | def count(r): [$done[] | select(.result == r)] | length;
  {summary: {files: $files, converted: count("converted"), failed: count("failed"), skipped: count("skipped"),
             unanswered: ($files - ($done | length)), elapsed_seconds: (($ended - $started) * 10 | round / 10)}}' \
  "$results")
echo "$summary"
jq --exit-status '.summary | .converted + .skipped == .files' <<<"$summary" >/dev/null
