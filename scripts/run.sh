#!/usr/bin/env bash
# Installs what is missing, builds, creates the demo database once and starts the program on it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
mkdir -p demo
db="$(pwd)/demo/TARVO_DEMO.FDB"
[ -f "$db" ] || build/tarvodb --demo "$db"
printf '[DADOS]\r\nSERVIDOR=%s\r\n' "$db" > build/TARVOSECRETARIA.INI
exec build/qtTarvo
