#!/bin/sh
# Fails when a C++ source does not follow .clang-format.
set -e
cd "$(dirname "$0")/.."
git ls-files -co --exclude-standard '*.h' '*.cpp' | xargs -r clang-format --dry-run -Werror
