#!/usr/bin/env bash
# SHA256SUMS verifies, and covers every artefact in the folder.
set -uo pipefail
cd "$1" || exit 1
[ -f SHA256SUMS ] || { echo "FAIL: no SHA256SUMS"; exit 1; }
sha256sum --strict -c SHA256SUMS || { echo "FAIL: a checksum does not match"; exit 1; }
listed=$(sed 's/^[0-9a-f]\{64\} [ *]//' SHA256SUMS | sort)
present=$(find . -maxdepth 1 -type f ! -name SHA256SUMS -printf '%f\n' | sort)
if [ "$listed" != "$present" ]; then
  diff <(echo "$listed") <(echo "$present")
  echo "FAIL: SHA256SUMS does not list exactly the artefacts present"
  exit 1
fi
echo "ok: $(wc -l <SHA256SUMS) artefacts verified"
