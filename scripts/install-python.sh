#!/usr/bin/env bash
# Builds the Python module geolago and installs it for a Python of your own, without
# downloading anything:
#   scripts/install-python.sh [PYTHON]
# PYTHON (default /usr/bin/python3, else python3) needs NumPy and its headers (Debian's
# python3-dev, pybind11-dev). The module goes into that Python's own site-packages when it
# is a virtual environment, else into your user site-packages (python -m site --user-site);
# GEOLAGO_PYTHON_DIR=FOLDER chooses another. The build stays in build-python/.
set -euo pipefail
cd "$(dirname "$0")/.."
python=${1:-$( [ -x /usr/bin/python3 ] && echo /usr/bin/python3 || command -v python3 )}
"$python" -c "import numpy" 2>/dev/null || { echo "install-python.sh: $python n'a pas NumPy" >&2; exit 1; }
dest=${GEOLAGO_PYTHON_DIR:-$("$python" -c '
import site, sys, sysconfig
print(sysconfig.get_paths()["purelib"] if sys.prefix != sys.base_prefix else site.getusersitepackages())')}
cmake -S . -B build-python -DCMAKE_BUILD_TYPE=Release -DGEOLAGO_WINDOWS=OFF -DGEOLAGO_TESTS=OFF \
      -DGEOLAGO_PYTHON=ON -DPython_EXECUTABLE="$python" -DGEOLAGO_PYTHON_DIR="$dest" >/dev/null
cmake --build build-python --target geolago_python -j"$(nproc)"
cmake --install build-python --component python >/dev/null
echo "geolago installé dans $dest/geolago pour $python"
