#!/bin/sh
# lyrebloom.lv2 through Debian's LV2 tools: lv2_validate finds no errors, lv2info shows the
# twelve ports and the six programs as presets, and lv2apply (which offers the plug-in no
# features at all) renders a file one frame at a time to the bytes the VST 2.4 render tool
# writes at --block 1, with and without controls set.
# usage: lv2_tools.sh BUNDLE RENDER-TOOL VST2-MODULE WORKDIR
set -eu
bundle=$1 render=$2 vst2=$3 work=$4
uri=https://www.ostrandia.de/plugins/lyrebloom
for tool in lv2_validate sord_validate lv2info lv2apply; do
  command -v $tool >/dev/null || { echo "no $tool (lv2-dev, sordi, lilv-utils)"; exit 77; }
done
rm -rf "$work" && mkdir -p "$work/lv2" && cp -r "$bundle" "$work/lv2/"
export LV2_PATH="$work/lv2"

validation=$(lv2_validate "$bundle"/*.ttl 2>&1)
echo "$validation" | grep -q "Found 0 errors" || { echo "$validation"; exit 1; }

info=$(lv2info "$uri")
for port in in_l in_r out_l out_r output mix decay damp transpose tune detune enabled; do
  echo "$info" | grep -q "Symbol: *$port\$" || { echo "lv2info shows no port $port"; exit 1; }
done
presets=$(echo "$info" | sed -n '/Presets:/,/^$/p')
for name in Default Bright High "Low & Dark" "Almost reverb" Detuned; do
  echo "$presets" | grep -qx "[[:space:]]*$name" || { echo "lv2info shows no preset $name"; exit 1; }
done

# A 32-bit float stereo input with sparse hits, so the output is exact floats too.
python3 - "$work/in.wav" <<'PY'
import random, struct, sys
random.seed(20)
frames = 30000
data = b''.join(struct.pack('<ff', *( (random.uniform(-0.5, 0.5), random.uniform(-0.3, 0.3))
                if random.random() < 0.01 else (0.0, 0.0))) for _ in range(frames))
fmt = struct.pack('<HHIIHH', 3, 2, 44100, 44100 * 8, 8, 32)
body = b'WAVE' + b'fmt ' + struct.pack('<I', len(fmt)) + fmt + b'data' + struct.pack('<I', len(data)) + data
open(sys.argv[1], 'wb').write(b'RIFF' + struct.pack('<I', len(body)) + body)
PY

samples() { # the data chunk of a WAV file, as hex
  python3 - "$1" <<'PY'
import struct, sys
b = open(sys.argv[1], 'rb').read()
i = 12
while i < len(b):
    tag, size = b[i:i+4], struct.unpack('<I', b[i+4:i+8])[0]
    if tag == b'fmt ':
        fmt = struct.unpack('<HH', b[i+8:i+12])
        if fmt[0] not in (3, 0xFFFE): sys.exit('not float: %r' % (fmt,))
    if tag == b'data':
        sys.stdout.write(b[i+8:i+8+size].hex())
        break
    i += 8 + size + (size & 1)
PY
}

check() { # name, lv2apply controls, render settings
  name=$1 controls=$2 settings=$3
  # shellcheck disable=SC2086
  lv2apply -i "$work/in.wav" -o "$work/$name-lv2.wav" $controls "$uri"
  # shellcheck disable=SC2086
  "$render" "$work/in.wav" -o "$work/$name-vst2.wav" --block 1 --tail 0 --plugin "$vst2" $settings
  if [ "$(samples "$work/$name-lv2.wav")" != "$(samples "$work/$name-vst2.wav")" ] ||
     [ -z "$(samples "$work/$name-lv2.wav")" ]; then
    echo "lv2apply ($name) differs from the VST 2.4 render"; exit 1
  fi
  echo "lv2apply ($name): same samples as the VST 2.4 render at --block 1"
}
check defaults "" ""
check controls "-c decay 0.8 -c transpose 7 -c mix 0.6 -c enabled 1" \
  "--set Decay=0.8 --set Transpose=0.6458333333333334 --set Mix=0.6"
