#!/usr/bin/env bash
# Every C++ file in the house style of .clang-format, as Debian 12's
# clang-format (14) writes it: a file it would change fails the step.
set -euo pipefail
cd "$(dirname "$0")/../.."
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run -Werror
echo "format: every C++ file as clang-format writes it"
