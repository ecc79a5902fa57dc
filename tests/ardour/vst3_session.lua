-- The VST 3 bundle in a headless session. LYRE_PHASE=save: one stereo track with the plug-in,
-- an edit in program 0, a switch to program 2 ("High") through Ardour's presets and an edit
-- there, a roll, save. LYRE_PHASE=reopen: the session reopened, the values printed, then back
-- to program 0, whose edit only the plug-in's state can have kept, and saved again.
dofile(os.getenv("LYRE_ARDOUR_DIR") .. "/session_engine.lua")

local function load_program(plugin, name)
  local vst3 = plugin:to_insert():plugin(0)
  local preset = vst3:preset_by_label(name)
  assert(preset and preset.uri ~= "", "no preset " .. name)
  assert(vst3:load_preset(preset), "cannot load preset " .. name)
  print("program " .. name)
end

local plugin
if phase == "save" then
  plugin = new_session_with_plugin(dir, ARDOUR.PluginType.VST3)
  assert(ARDOUR.LuaAPI.set_processor_param(plugin, 2, 0.8125), "cannot set Decay")
  roll(1)
  load_program(plugin, "High")
  roll(1)
  assert(ARDOUR.LuaAPI.set_processor_param(plugin, 3, 0.375), "cannot set Damp")
  roll_and_print(plugin, 2)
else
  plugin = reopened_plugin(dir)
  roll(1)
  print_parameters(plugin)
  load_program(plugin, "Default")
  roll(1)
  print("after the switch")
  print_parameters(plugin)
end
save_and_close(phase)
