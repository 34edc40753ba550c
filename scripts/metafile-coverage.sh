#!/bin/bash
# Lists the record types that the EMF and WMF players handle (the case labels of their
# dispatch) and that no fixture description under tests/data uses, with the counts of both.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
for format in emf wmf; do
    enum=${format^}Record
    handled=$(grep -o "case $enum::[A-Za-z0-9]*" "$root/src/picture/metafile/${format}player.cpp" |
        sed 's/.*:://' | sort -u)
    used=$(cat "$root/tests/data/$format/"*.fixture 2>/dev/null | awk '$1 !~ /^#/ {print $1}' |
        sort -u)
    missing=$(comm -23 <(echo "$handled") <(echo "$used"))
    echo "$format: $(echo "$handled" | wc -l) record types handled," \
        "$(comm -12 <(echo "$handled") <(echo "$used") | wc -l) used by a fixture"
    [ -n "$missing" ] && echo "$missing" | sed 's/^/  no fixture: /'
done
exit 0
