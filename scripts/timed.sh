#!/bin/sh
# timed.sh NAME COMMAND...: runs one stage of the build or tests, says how long it took (pass or
# fail), and appends "NAME SECONDS" to $STAGE_LOG when set, for the summary at the end.
name=$1
shift
start=$(date +%s)
"$@"
rc=$?
seconds=$(($(date +%s) - start))
echo "== stage '$name' took ${seconds} s (exit $rc)"
[ -n "${STAGE_LOG:-}" ] && [ -d "$(dirname "$STAGE_LOG")" ] && printf '%-28s %6d s\n' "$name" "$seconds" >> "$STAGE_LOG"
exit $rc
