#!/usr/bin/env bash
# Installs what is missing, builds and starts Vorlink with the sample book.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh
exec build/src/vorlink "${@:-data/ukazka.WDT}"
