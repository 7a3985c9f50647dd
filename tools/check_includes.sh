#!/usr/bin/env bash
# Fails when a source includes a file by climbing out of its folder ("../"): everything is
# included through the include roots, which is what keeps the layers from seeing upwards.
set -euo pipefail
cd "$(dirname "$0")/.."
if grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"\.\./' \
    --include='*.h' --include='*.hpp' --include='*.cpp' --include='*.cc' \
    src tests python bench fuzz; then
    echo 'check_includes: include through the include roots, not with "../"' >&2
    exit 1
fi
