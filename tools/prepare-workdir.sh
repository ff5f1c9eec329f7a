#!/usr/bin/env bash
# Prepares the folder the workbench starts in: the catalogs and the sample project from data/. Files the
# user already has there (catalogs they edited, projects they saved) are never overwritten.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
workdir=${1:-$here/run}
mkdir -p "$workdir"
for f in "$here"/data/*; do
  [[ -e "$workdir/$(basename "$f")" ]] || cp "$f" "$workdir/"
done
