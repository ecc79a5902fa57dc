# Sourced by the Ardour checks: one phase of a session script through ardour7-lua, and what
# its output must hold. Needs $work, and $script (the Lua session script).
fail() { echo "FAIL: $*"; exit 1; }
run_phase() { # phase
  local log=$work/$1.log
  LYRE_PHASE=$1 timeout 180 ardour7-lua "$script" >"$log" 2>&1
  grep -E "^(instantiated|reopened|rolled|program|parameter|after|saved|Error)" "$log"
  grep -q "^saved $1\$" "$log" || { echo "--- ardour7-lua output"; tail -40 "$log"; fail "phase $1 did not finish"; }
}
expect() { # phase, text
  grep -q "^$2\$" "$work/$1.log" || fail "$1: expected '$2'"
  echo "ok: $1: $2"
}
