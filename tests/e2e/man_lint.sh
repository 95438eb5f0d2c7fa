#!/usr/bin/env bash
# Every manual page renders with groff without a single warning.
set -euo pipefail
cd "$1"
status=0
for page in man1/*.1; do
  warnings=$(groff -ww -z -t -man "$page" 2>&1)
  if [ -n "$warnings" ]; then
    echo "$page: $warnings"
    status=1
  fi
done
exit $status
