#!/usr/bin/env bash
# Installs the Debian packages the R package needs when any is missing, then the package
# itself from this clone: scripts/install-r.sh [R CMD INSTALL options, e.g. -l LIBRARY].
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
R CMD INSTALL "$@" bindings/r
