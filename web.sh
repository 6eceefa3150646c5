#!/usr/bin/env bash
# Installs what is missing, builds the browser version and serves its page on this machine's
# loopback address (port 8000, or VANTOR_WEB_PORT), printing the address; Ctrl+C stops it.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
port=${VANTOR_WEB_PORT:-8000}
"$root/scripts/deps.sh" web
"$root/web/build.sh" "$root/build-web"
echo "Vantor is served at http://127.0.0.1:$port/ (Ctrl+C stops it)"
exec /usr/bin/python3 -m http.server --bind 127.0.0.1 --directory "$root/build-web/site" "$port"
