# Shared by scripts/run and scripts/test: install what is missing, configure once, build incrementally.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=$(nproc 2>/dev/null || echo 2)

"$root/scripts/install-deps"

# configure DIR [cmake options...]: configures DIR with Ninja unless it is configured already.
configure() {
  local dir=$1; shift
  if [ ! -f "$dir/build.ninja" ]; then
    cmake -S "$root" -B "$dir" -G Ninja "$@"
  fi
}
