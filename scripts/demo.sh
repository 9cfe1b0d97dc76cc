#!/usr/bin/env bash
# Exports the sample school that the repository carries to educa.xml, and checks it with xmllint.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
"$build/bin/educa-export" --datos sample/datos --soluc sample/mtemp --salida educa.xml
xmllint --noout educa.xml && echo "educa.xml: XML bien formado ($(wc -c < educa.xml) bytes)"
