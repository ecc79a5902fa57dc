#!/usr/bin/env bash
# The Debian package as installed: each plug-in loads through its entry from the folder hosts
# scan by default and renders the fixed workload bit for bit as the tested build's modules do;
# the render tool, run from PATH, finds the installed plug-in by itself and writes the same file
# as the tested build's tool; lilv's lv2apply finds the LV2 plug-in by its URI alone.
set -uo pipefail
. "$(dirname "$0")/installed-package.bash"

reference=$top/build-test
workload=$top/build-release/lyrebloom-workload
[ -x "$workload" ] || { echo "SKIP: no $workload (tools/package.sh builds it)"; exit 77; }
failed=0
fail() { echo "FAIL: $*"; failed=1; }
same_as_reference() { # label, what the package gave, what the tested build gives (or "")
  if [ -z "$3" ]; then
    echo "ok: $1 (no tested build in $reference to compare with)"
  elif [ "$2" = "$3" ]; then
    echo "ok: $1, bit for bit as the tested build"
  else
    fail "$1 differs from the tested build"
  fi
}

# The samples of a WAV file: libsndfile's PEAK chunk carries the time of writing.
samples_hash() {
  python3 - "$1" <<'PY'
import hashlib, struct, sys
b = open(sys.argv[1], 'rb').read()
i = 12
while i + 8 <= len(b):
    tag, size = b[i:i + 4], struct.unpack('<I', b[i + 4:i + 8])[0]
    if tag == b'data':
        print(hashlib.sha256(b[i + 8:i + 8 + size]).hexdigest())
        break
    i += 8 + size + (size & 1)
else:
    print('no samples in ' + sys.argv[1])
PY
}

# Each installed module, and the file of the tested build that says it was built.
for pair in "/usr/lib/lxvst/lyrebloom.so|lyrebloom.so" \
  "/usr/lib/vst3/ZEM Lyrebloom.vst3|ZEM Lyrebloom.vst3/Contents/x86_64-linux/ZEM Lyrebloom.so" \
  "/usr/lib/clap/ZEM Lyrebloom.clap|ZEM Lyrebloom.clap"; do
  module=${pair%|*} built=$reference/${pair#*|}
  hashes=$("$workload" "$module" 2>&1) || { fail "$module did not load: $hashes"; continue; }
  expected=""
  if [ -f "$built" ]; then
    expected=$("$workload" "$reference/$(basename "$module")" 2>&1) ||
      { fail "the tested build's $(basename "$module") did not run: $expected"; continue; }
  fi
  same_as_reference "$module loads and renders the workload" "$hashes" "$expected"
done

# The version reaches the descriptions hosts read without loading anything.
IFS=. read -r _ minor micro <<<"$version"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "the package's version is not $version"
python3 -c 'import json, sys; sys.exit(json.load(open(sys.argv[1]))["Version"] != sys.argv[2])' \
  "/usr/lib/vst3/ZEM Lyrebloom.vst3/Contents/Resources/moduleinfo.json" "$version" ||
  fail "moduleinfo.json does not give version $version"
grep -q "lv2:minorVersion $minor ;" /usr/lib/lv2/lyrebloom.lv2/lyrebloom.ttl &&
  grep -q "lv2:microVersion $micro ;" /usr/lib/lv2/lyrebloom.lv2/lyrebloom.ttl ||
  fail "lyrebloom.ttl does not give version $minor.$micro"

command -v lyrebloom-render | grep -qx /usr/bin/lyrebloom-render || fail "lyrebloom-render is not on PATH"
if lyrebloom-render -o "$work/demo.wav" --set Decay=0.8 >"$work/render.log" 2>&1; then
  expected=""
  if [ -x "$reference/host/lyrebloom-render" ]; then
    "$reference/host/lyrebloom-render" -o "$work/demo-reference.wav" --set Decay=0.8 >/dev/null
    expected=$(samples_hash "$work/demo-reference.wav")
  fi
  same_as_reference "the render tool found the installed plug-in and rendered the demo" \
    "$(samples_hash "$work/demo.wav")" "$expected"
else
  fail "the render tool: $(cat "$work/render.log")"
fi
man -w lyrebloom-render >/dev/null 2>&1 || ! command -v man >/dev/null ||
  fail "man finds no page for lyrebloom-render"

if command -v lv2apply >/dev/null; then
  uri=https://www.ostrandia.de/plugins/lyrebloom
  # A second of sparse stereo hits, as 32-bit float samples.
  python3 - "$work/in.wav" <<'PY'
import random, struct, sys
random.seed(22)
data = b''.join(struct.pack('<ff', random.uniform(-0.5, 0.5), random.uniform(-0.5, 0.5))
                if random.random() < 0.01 else bytes(8) for _ in range(44100))
fmt = struct.pack('<HHIIHH', 3, 2, 44100, 44100 * 8, 8, 32)
body = b'WAVE' + b'fmt ' + struct.pack('<I', len(fmt)) + fmt + b'data' + struct.pack('<I', len(data)) + data
open(sys.argv[1], 'wb').write(b'RIFF' + struct.pack('<I', len(body)) + body)
PY
  if lv2apply -i "$work/in.wav" -o "$work/lv2.wav" "$uri" >"$work/lv2.log" 2>&1; then
    expected=""
    if [ -f "$reference/lyrebloom.lv2/manifest.ttl" ]; then
      if LV2_PATH=$reference lv2apply -i "$work/in.wav" -o "$work/lv2-reference.wav" "$uri" >/dev/null 2>&1; then
        expected=$(samples_hash "$work/lv2-reference.wav")
      else
        fail "lv2apply could not run the tested build's bundle"
      fi
    fi
    same_as_reference "lv2apply found the LV2 plug-in by its URI and ran it" \
      "$(samples_hash "$work/lv2.wav")" "$expected"
  else
    fail "lv2apply: $(cat "$work/lv2.log")"
  fi
else
  echo "(lilv's lv2apply is not installed: the LV2 bundle is not run)"
fi
exit $failed
