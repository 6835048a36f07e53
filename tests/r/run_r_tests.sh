#!/bin/sh
# Installs the R package into BUILD/r-lib from a copy of bindings/r in BUILD/r-src (the
# sources stay clean, the core compiled from the clone), then runs its testthat tests.
# Usage: run_r_tests.sh ROOT BUILD GEOLAGO_CLI [COMPILER_LAUNCHER]
set -eu
root=$1
build=$2
cli=$3
launcher=${4:-}
rm -rf "$build/r-src"
mkdir -p "$build/r-src" "$build/r-lib"
cp -R "$root/bindings/r" "$build/r-src/geolago"
if [ -n "$launcher" ]; then
  # The build's compiler cache, for R's compiler too.
  printf 'CXX20 = %s %s\n' "$launcher" "$(R CMD config CXX20)" > "$build/r-src/Makevars"
  export R_MAKEVARS_USER="$build/r-src/Makevars"
fi
export GEOLAGO_CORE="$root/core"
R CMD INSTALL --no-test-load -l "$build/r-lib" "$build/r-src/geolago" > "$build/r-src/install.log" 2>&1 || {
  cat "$build/r-src/install.log"
  exit 1
}
# French messages compared byte for byte: a UTF-8 locale whatever the caller's.
export LC_ALL=C.UTF-8
export R_LIBS="$build/r-lib" GEOLAGO_ROOT="$root" GEOLAGO_CLI="$cli" TEST_DIR="$root/bindings/r/tests/testthat"
exec Rscript -e 'testthat::test_dir(Sys.getenv("TEST_DIR"), package = "geolago", load_package = "installed",
                                     stop_on_failure = TRUE, reporter = "summary")'
