#!/usr/bin/env bash
# The same installer on 32-bit Windows: it installs the 32-bit plug-ins where 32-bit Windows
# keeps them, puts the VST 2.4 DLL into the folder named on the command line, offers nothing of
# the 64-bit world, installs over itself cleanly, and the 32-bit VST 3 module renders from where
# it went.
#   windows-installer-x86.sh DIST_DIR
# shellcheck source=lib/windows.bash
. "$(dirname "$0")/lib/windows.bash"
enter_x86_runner "$@"
[ -f "$setup" ] || fail "no $setup"
workload=$(workload_of build-win32)

step "a 32-bit prefix"
make_prefix win32
step "installing"
before=$(drive_c_listing)
vst2_dir='C:\Audio\VST Plugins'
win "$setup" /S "/VST2DIR=$vst2_dir" || fail "the silent installation failed"

common='C:\Program Files\Common Files'
expect_module "$common\\CLAP\\$product.clap" x86
expect_module "$vst2_dir\\$product.dll" x86
expect_module "$common\\VST3\\$product.vst3\\Contents\\x86-win\\$product.vst3" x86
[ ! -e "$(unix_path 'C:\Program Files (x86)')" ] || fail "a 64-bit folder appeared on 32-bit Windows"

# A next release installed over this one keeps the folder chosen then and leaves nothing twice.
installed=$(drive_c_listing)
step "installing again"
win "$setup" /S || fail "installing over the earlier installation failed"
[ "$(drive_c_listing)" = "$installed" ] ||
  fail "installing again changed what is installed (the chosen VST 2.4 folder not kept?)"

step "rendering"
# One module is enough here (each render is slow under emulation): the bundle's 32-bit half,
# which a 32-bit VST 3 host on any Windows loads.
render_through "$workload" "$common\\VST3\\$product.vst3" >/dev/null

# The folders it made for the VST 2.4 DLL go too: they were the installer's.
step "uninstalling"
uninstall_quietly "$before"
step "done"
echo "passed: installed, rendered and uninstalled under 32-bit wine"
