#!/usr/bin/env bash
# Builds the viewer and opens it on the given folder or picture, or on the bundled samples.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/build.sh >/dev/null
exec build/app/sorvenal "${1:-build/samples}"
