-- The VST 2.4 module in a headless session. LYRE_PHASE=save: one stereo track with the plug-in,
-- Decay, Damp and Tune set, a roll, save. LYRE_PHASE=reopen: the session reopened (its chunk
-- edited by the check in between), a roll, the values printed, and saved again.
dofile(os.getenv("LYRE_ARDOUR_DIR") .. "/session_engine.lua")

local plugin
if phase == "save" then
  plugin = new_session_with_plugin(dir, ARDOUR.PluginType.LXVST)
  for index, value in pairs({ [2] = 0.8125, [3] = 0.25, [5] = 0.625 }) do
    assert(ARDOUR.LuaAPI.set_processor_param(plugin, index, value), "cannot set parameter " .. index)
  end
  roll_and_print(plugin, 2)
  assert(session:transport_sample() > 0, "the transport did not move")
else
  plugin = reopened_plugin(dir)
  roll_and_print(plugin, 1)
end
save_and_close(phase)
