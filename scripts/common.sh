# Shared by scripts/run and scripts/test: install what is missing, configure once, build incrementally.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=$(nproc 2>/dev/null || echo 2)

"$root/scripts/install-deps"

# Paths relative to the checkout in ccache's keys, so that another clone of the same sources
# (CI's) finds the objects this one compiled.
export CCACHE_BASEDIR="$root"
export CCACHE_NOHASHDIR=1

# configure DIR [cmake options...]: configures DIR with Ninja unless it is configured already.
configure() {
  local dir=$1; shift
  if [ ! -f "$dir/build.ninja" ]; then
    cmake -S "$root" -B "$dir" -G Ninja "$@"
  fi
}
