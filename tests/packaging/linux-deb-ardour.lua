-- Lists the VST 2.4 plug-ins Ardour knows from its default Linux VST path, with their files.
-- The plug-in list is read once the (silent) engine runs.
assert(AudioEngine:set_backend("None (Dummy)", "", ""), "no dummy backend")
AudioEngine:set_device_name("Silence")
assert(AudioEngine:start(false) == 0, "the engine did not start")
for info in ARDOUR.LuaAPI.list_plugins():iter() do
  if info.type == ARDOUR.PluginType.LXVST then
    print("lxvst: " .. info.name .. " | " .. info.path)
  end
end
