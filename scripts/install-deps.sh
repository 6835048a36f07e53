#!/usr/bin/env bash
# Installs the Debian packages Geolago builds, tests and runs with, when any is missing.
set -euo pipefail

# fonts-ebgaramond and python3-fonttools: the Garamond face with lining figures is derived
# from EB Garamond at build time; qt6-svg-dev: the chart saved as SVG;
# qt6-translations-l10n: Qt's own texts (file dialogs) in French; libgdal-dev: the GIS
# layers and rasters; pybind11-dev, python3-numpy, python3-pandas and python3-pytest: the
# Python module and its tests; r-base-dev, r-cran-rcpp, r-cran-testthat and r-cran-sf: the R
# package and its tests.
packages=(cmake g++ make libgtest-dev libbenchmark-dev qt6-base-dev qt6-svg-dev
          qt6-translations-l10n fonts-ebgaramond python3-fonttools fonts-liberation xvfb
          libgdal-dev pybind11-dev python3-numpy python3-pandas python3-pytest
          r-base-dev r-cran-rcpp r-cran-testthat r-cran-sf)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
