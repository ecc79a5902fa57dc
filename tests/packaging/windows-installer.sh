#!/usr/bin/env bash
# The Windows installer on 64-bit Windows, silently, as an administrator deploys it: every format
# lands where its hosts look, the 64-bit plug-ins render from there in our test host, the zip
# holds the same bytes, and the registered uninstaller takes back exactly what was installed
# while the user's settings stay.
#   windows-installer.sh DIST_DIR
# shellcheck source=lib/windows.bash
. "$(dirname "$0")/lib/windows.bash"
enter_x86_runner "$@"
[ -f "$setup" ] || fail "no $setup"
[ -f "$zip" ] || fail "no $zip"
workload=$(workload_of build-win64)

step "a 64-bit prefix"
make_prefix win64
step "installing"
before=$(drive_c_listing)
win "$setup" /S || fail "the silent installation failed"

# Apps & Features lists it, with what the settings page shows and a way to remove it quietly.
win uninstaller --list | tr -d '\r' | grep -qx "[^|]*|||$product" ||
  fail "Apps & Features does not list $product"
[ "$(reg_value "$uninstall_key" DisplayVersion)" = "$version" ] || fail "DisplayVersion is not $version"
[ "$(reg_value "$uninstall_key" Publisher)" = ZEM ] || fail "Publisher is not ZEM"
for flag in NoModify NoRepair; do
  [ "$(reg_value "$uninstall_key" $flag)" = 0x1 ] || fail "$flag is not set"
done
# The size it shows is what went onto the disk (this machine's architecture and the 32-bit
# hosts' files), not every file the installer carries.
size=$(($(reg_value "$uninstall_key" EstimatedSize)))
installed=$(comm -13 <(echo "$before") <(drive_c_listing) | while read -r path; do
  [ ! -f "$prefix/drive_c/$path" ] || stat -c %s "$prefix/drive_c/$path"
done | awk '{ s += $1 } END { print int(s / 1024) }')
((size * 10 > installed * 9 && size * 10 < installed * 11)) ||
  fail "EstimatedSize says $size KB, the installed files take $installed KB"

# Each format where a host of each architecture looks for it.
common='C:\Program Files\Common Files'
common32='C:\Program Files (x86)\Common Files'
for pair in "x64|$common" "x86|$common32"; do
  IFS='|' read -r arch_ folder <<<"$pair"
  expect_module "$folder\\CLAP\\$product.clap" "$arch_"
  expect_module "$folder\\VST2\\$product.dll" "$arch_"
  # A VST 3 bundle carries a module for each architecture, each in its own folder.
  expect_module "$folder\\VST3\\$product.vst3\\Contents\\x86_64-win\\$product.vst3" x64
  expect_module "$folder\\VST3\\$product.vst3\\Contents\\x86-win\\$product.vst3" x86
done

# The zip carries the same bytes the installer put down.
unpacked=$scratch/zip
/usr/bin/python3 -m zipfile -e "$zip" "$unpacked" || fail "the zip does not unpack"
top=$unpacked/ZEM-Lyrebloom-$version-windows
for pair in x64 x86; do
  folder=$common
  [ "$pair" = x64 ] || folder=$common32
  cmp -s "$top/VST2/$pair/$product.dll" "$(unix_path "$folder\\VST2\\$product.dll")" ||
    fail "the zip's VST 2.4 $pair DLL differs from the installed one"
  cmp -s "$top/CLAP/$pair/$product.clap" "$(unix_path "$folder\\CLAP\\$product.clap")" ||
    fail "the zip's CLAP $pair module differs from the installed one"
  diff -r "$top/VST3/$product.vst3" "$(unix_path "$folder\\VST3\\$product.vst3")" >&2 ||
    fail "the zip's VST 3 bundle differs from the one installed in $folder"
done
# Its text opens in Notepad: Windows line ends throughout.
! grep -qv $'\r$' "$top/INSTALL.txt" || fail "INSTALL.txt has lines without CRLF"
grep -q "$version" "$top/INSTALL.txt" || fail "INSTALL.txt does not name the version"

# From where they were installed, the 64-bit modules load through their entries in our test
# host and render the same session, bit for bit, as the VST 2.4 one driven as a VST 3 host can.
step "rendering"
reference=$(render_through "$workload" "$common\\VST2\\$product.dll" --as-vst3-host)
[ "$(render_through "$workload" "$common\\VST3\\$product.vst3")" = "$reference" ] ||
  fail "the installed VST 3 bundle renders differently from the installed VST 2.4 DLL"
[ "$(render_through "$workload" "$common\\CLAP\\$product.clap")" = "$reference" ] ||
  fail "the installed CLAP module renders differently from the installed VST 2.4 DLL"

# The user's settings outlive the plug-in: a later installation finds them again.
win reg add "$settings_key" /v MemoA /t REG_BINARY /d 4c7972650a /f >/dev/null
step "uninstalling"
uninstall_quietly "$before"
step "done"
[ "$(reg_value "$settings_key" MemoA)" = 4C7972650A ] ||
  fail "the uninstaller took the user's settings"
echo "passed: installed, rendered from the host folders and uninstalled under 64-bit wine"
