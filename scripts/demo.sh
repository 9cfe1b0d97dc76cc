#!/usr/bin/env bash
# Exports the sample school that the repository carries to educa.xml, and checks it against the
# document's schema (docs/educa.xsd) with xmllint.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
"$build/bin/educa-export" --datos sample/datos --soluc sample/mtemp --salida educa.xml
if report=$(xmllint --noout --schema docs/educa.xsd educa.xml 2>&1); then
    echo "educa.xml: válido según el esquema docs/educa.xsd ($(wc -c < educa.xml) bytes)"
else
    echo "$report" >&2
    exit 1
fi
