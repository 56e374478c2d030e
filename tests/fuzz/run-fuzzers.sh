#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# run-fuzzers.sh BIN_DIR SECONDS [TARGET...]
#
# SECONDS > 0: each target (all *_fuzzer programs in BIN_DIR unless named)
# fuzzes for that long, one after the other, starting from its seeds in
# corpus/ and the inputs in regressions/; what it finds new goes to a work
# folder beside the programs, never into the tree. Prints executions,
# coverage (libFuzzer's cov and ft) and findings per target; findings are kept
# under BIN_DIR/../fuzz-findings/TARGET/.
# SECONDS = 0: each target runs once over its seeds and regression inputs (CI).
# Exits non-zero when any target found something.
set -uo pipefail
Here="$(cd "$(dirname "$0")" && pwd)"
Bin="$(cd "$1" && pwd)"
Seconds="$2"
shift 2
Targets=("$@")
if [ ${#Targets[@]} -eq 0 ]; then
    for Program in "$Bin"/*_fuzzer; do Targets+=("$(basename "$Program" _fuzzer)"); done
fi
Work="$Bin/../fuzz-work"
Findings="$Bin/../fuzz-findings"
Failed=0
printf '%-10s %12s %8s %8s %9s\n' target executions cov ft findings
for Name in "${Targets[@]}"; do
    Program="$Bin/${Name}_fuzzer"
    Inputs=("$Here/corpus/$Name")
    [ -d "$Here/regressions/$Name" ] && Inputs+=("$Here/regressions/$Name")
    Options=(-timeout=10 -rss_limit_mb=2048 -print_final_stats=1)
    [ -f "$Here/dict/$Name.dict" ] && Options+=(-dict="$Here/dict/$Name.dict")
    mkdir -p "$Findings/$Name" "$Work/$Name"
    # A check beside a running campaign of the same target keeps to its own log.
    Log="$Findings/$Name/last-$([ "$Seconds" -gt 0 ] && echo run || echo check).log"
    if [ "$Seconds" -gt 0 ]; then
        Before=$(find "$Findings/$Name" -type f ! -name 'last-*.log' | wc -l)
        "$Program" "${Options[@]}" -max_total_time="$Seconds" -artifact_prefix="$Findings/$Name/" \
            "$Work/$Name" "${Inputs[@]}" >"$Log" 2>&1
        Status=$?
        Found=$(( $(find "$Findings/$Name" -type f ! -name 'last-*.log' | wc -l) - Before ))
    else
        "$Program" "${Options[@]}" -runs=0 -artifact_prefix="$Findings/$Name/" "${Inputs[@]}" >"$Log" 2>&1
        Status=$?
        Found=$([ $Status -eq 0 ] && echo 0 || echo 1)
    fi
    Executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$Log" | tail -1)
    Final=$(grep -aE '^#[0-9]+[[:space:]]+(DONE|INITED)' "$Log" | tail -1)
    Cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$Final")
    Ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$Final")
    printf '%-10s %12s %8s %8s %9s\n' "$Name" "${Executions:-?}" "${Cov:-?}" "${Ft:-?}" "$Found"
    if [ $Status -ne 0 ] || [ "$Found" -ne 0 ]; then
        Failed=1
        grep -a -m 3 -E 'ERROR|SUMMARY|abort|Fault|deadly' "$Log" | sed 's/^/    /'
        echo "    log: $Log"
    fi
done
exit $Failed
