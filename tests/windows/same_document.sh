#!/usr/bin/env bash
# The same document from both systems: exports the sample school with educa-export.exe under Wine
# and with the Linux educa-export, in the C locale and in the Spanish one, and compares the two
# documents byte for byte, apart from the date of the document (fecha).
#   same_document.sh WINE_RUN WINE_PREFIX EXPORT_EXE LINUX_EXPORT SAMPLE_DIR WORK_DIR
# A missing Linux program or Spanish locale is a failure, never a skip: make test installs both.
set -euo pipefail
wine_run=$1 prefix=$2 windows_export=$3 linux_export=$4 sample=$5 work=$6

if [ ! -x "$linux_export" ]; then
    echo "No Linux educa-export at '$linux_export' (configure with -DEDUCA_LINUX_EXPORT=...)"
    exit 1
fi
if ! locale -a 2>/dev/null | grep -qi '^es_ES\.utf-\?8$'; then
    echo "The locale es_ES.UTF-8 is not installed (scripts/install-deps.sh makes it)"
    exit 1
fi

rm -rf "$work"
mkdir -p "$work"
without_date() {
    sed -E 's/ fecha="[^"]*"/ fecha=""/' "$1"
}
# C.UTF-8 rather than C: Wine needs a UTF-8 locale for file names; both give the C rules here.
for locale in C.UTF-8 es_ES.UTF-8; do
    linux_doc=$work/linux-$locale.xml
    windows_doc=$work/windows-$locale.xml
    LC_ALL=$locale "$linux_export" -d "$sample/datos" -s "$sample/mtemp" -o "$linux_doc" >"$work/linux-$locale.out"
    LC_ALL=$locale "$wine_run" "$prefix" "$windows_export" -d "$sample/datos" -s "$sample/mtemp" -o "$windows_doc" \
        >"$work/windows-$locale.out"
    # The same messages, with "\n" line ends on both.
    cmp "$work/linux-$locale.out" "$work/windows-$locale.out"
    if ! grep -q ' fecha="[^"]' "$linux_doc" || ! grep -q ' fecha="[^"]' "$windows_doc"; then
        echo "$locale: a document without its date"
        exit 1
    fi
    if ! cmp <(without_date "$linux_doc") <(without_date "$windows_doc"); then
        echo "$locale: the documents differ"
        exit 1
    fi
    echo "$locale: the same document ($(wc -c <"$windows_doc") bytes) and the same messages"
done
# Each locale took effect on both: the date of the document has a 12-hour clock with its designator
# in the C locale (the built-in rules on Linux, en-US under Wine) and a 24-hour clock in the Spanish one.
fecha() {
    grep -o ' fecha="[^"]*"' "$1"
}
for system in linux windows; do
    if ! fecha "$work/$system-C.UTF-8.xml" | grep -qi '[ap]m"'; then
        echo "$system, C.UTF-8: no 12-hour clock in the date: $(fecha "$work/$system-C.UTF-8.xml")"
        exit 1
    fi
    if fecha "$work/$system-es_ES.UTF-8.xml" | grep -qi 'm"'; then
        echo "$system, es_ES.UTF-8: not the Spanish clock: $(fecha "$work/$system-es_ES.UTF-8.xml")"
        exit 1
    fi
done
