-- lyrebloom.lv2 in a headless session. LYRE_PHASE=save: one stereo track with the plug-in,
-- Decay and Transpose set through its ports, a roll, save. LYRE_PHASE=reopen: the session
-- reopened (Ardour restores the plug-in's state and ports), the values printed, a roll, and
-- saved again.
dofile(os.getenv("LYRE_ARDOUR_DIR") .. "/session_engine.lua")

local plugin
if phase == "save" then
  plugin = new_session_with_plugin(dir, ARDOUR.PluginType.LV2)
  assert(ARDOUR.LuaAPI.set_processor_param(plugin, 2, 0.8125), "cannot set Decay")
  assert(ARDOUR.LuaAPI.set_processor_param(plugin, 4, 7), "cannot set Transpose")
  roll_and_print(plugin, 2)
else
  plugin = reopened_plugin(dir)
  roll_and_print(plugin, 1)
end
save_and_close(phase)
