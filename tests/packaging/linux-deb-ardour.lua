-- Lists the VST 2.4 plug-ins Ardour knows from its default Linux VST path, with their files.
for info in ARDOUR.LuaAPI.list_plugins():iter() do
  if info.type == ARDOUR.PluginType.LXVST then
    print("lxvst: " .. info.name .. " | " .. info.path)
  end
end
