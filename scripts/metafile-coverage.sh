#!/bin/bash
# Lists the record types that the EMF and WMF players handle and that no fixture description
# under tests/data uses: those of the case labels of their dispatch, and those their record
# enumerations name besides (read, passed over or ending the file). The header and
# end-of-file records are in every fixture, written by tests/tools/metafile_writer.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
for format in emf wmf; do
    enum=${format^}Record
    dispatched=$(grep -o "case $enum::[A-Za-z0-9]*" "$root/src/picture/metafile/${format}player.cpp" |
        sed 's/.*:://' | sort -u)
    named=$(sed -n "/enum class $enum/,/};/p" "$root/src/picture/metafile/records.h" |
        grep -oE '^\s+[A-Za-z0-9]+ =' | tr -d ' =' | sort -u)
    used=$( (cat "$root/tests/data/$format/"*.fixture 2>/dev/null | awk '$1 !~ /^#/ {print $1}'
        printf 'Header\nEof\n') | sort -u)
    echo "$format: $(echo "$dispatched" | wc -l) record types dispatched," \
        "$(comm -12 <(echo "$dispatched") <(echo "$used") | wc -l) of them in a fixture;" \
        "$(echo "$named" | wc -l) named, $(comm -12 <(echo "$named") <(echo "$used") | wc -l) in a fixture"
    comm -23 <(echo "$named" "$dispatched" | tr ' ' '\n' | sort -u) <(echo "$used") |
        sed 's/^/  no fixture: /'
done
