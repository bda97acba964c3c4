#!/usr/bin/env bash
# Runs the tool over the shared corpus of real MP3 files and mutated copies
# of them (see corpus_check.py). Skips cleanly when the corpus is absent.
#
#   tests/corpus/run_corpus.sh [BINARY] [MUTATIONS_PER_FILE] [SEED]
#
# BINARY defaults to build-safety/tagshifter (the sanitizer build); the corpus
# is $TAGSHIFTER_CORPUS, else shared/corpus beside the repository, else
# /work/shared/corpus.
set -euo pipefail

here=$(cd "$(dirname "$0")/../.." && pwd)
binary=${1:-$here/build-safety/tagshifter}
mutations=${2:-300}
seed=${3:-1}

corpus=${TAGSHIFTER_CORPUS:-}
if [ -z "$corpus" ]; then
    for candidate in "$here/../shared/corpus" /work/shared/corpus; do
        if [ -d "$candidate" ]; then corpus=$candidate; break; fi
    done
fi
if [ -z "$corpus" ] || [ ! -d "$corpus" ]; then
    echo "corpus: no corpus folder found, skipping"
    exit 0
fi
if [ ! -x "$binary" ]; then
    echo "corpus: no program at $binary" >&2
    exit 2
fi
exec /usr/bin/python3 "$here/tests/corpus/corpus_check.py" "$binary" "$corpus" "$mutations" "$seed"
