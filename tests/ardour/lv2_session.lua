-- lyrebloom.lv2 in a headless session. LYRE_PHASE=save: one stereo track with the plug-in,
-- Decay and Transpose set through its ports, a roll, save. LYRE_PHASE=reopen: the session
-- reopened (Ardour restores the plug-in's state and ports), the values printed, a roll, and
-- saved again.
local dir = os.getenv("LYRE_SESSION_DIR")
local phase = os.getenv("LYRE_PHASE")

assert(AudioEngine:set_backend("None (Dummy)", "", ""), "no dummy backend")
AudioEngine:set_device_name("Silence")
AudioEngine:set_sample_rate(48000)
AudioEngine:set_buffer_size(1024)
assert(AudioEngine:start(false) == 0, "the engine did not start")

local function roll(seconds)
  session:request_roll(ARDOUR.TransportRequestSource.TRS_UI)
  sleep(seconds)
  session:request_stop(false, false, ARDOUR.TransportRequestSource.TRS_UI)
  sleep(1)
end

local function print_parameters(plugin)
  for index = 0, 7 do
    print(string.format("parameter %d = %.6f", index, ARDOUR.LuaAPI.get_processor_param(plugin, index)))
  end
end

local plugin
if phase == "save" then
  session = create_session(dir, "lyre", 48000)
  assert(session, "no session")
  local tracks = session:new_audio_track(2, 2, nil, 1, "Strings",
    ARDOUR.PresentationInfo.max_order, ARDOUR.TrackMode.Normal, true, false)
  plugin = ARDOUR.LuaAPI.new_plugin(session, "ZEM Lyrebloom", ARDOUR.PluginType.LV2, "")
  assert(not plugin:isnil(), "the plug-in was not found")
  assert(tracks:front():add_processor_by_index(plugin, 0, nil, true) == 0, "not added")
  print("instantiated: " .. plugin:display_name())
  assert(ARDOUR.LuaAPI.set_processor_param(plugin, 2, 0.8125), "cannot set Decay")
  assert(ARDOUR.LuaAPI.set_processor_param(plugin, 4, 7), "cannot set Transpose")
  roll(2)
  print("rolled to sample " .. session:transport_sample())
  print_parameters(plugin)
else
  session = load_session(dir, "lyre")
  assert(session, "the session did not open")
  local track = session:route_by_name("Strings")
  assert(not track:isnil(), "the track is gone")
  plugin = track:nth_plugin(0)
  assert(not plugin:isnil(), "the plug-in is gone")
  print("reopened: " .. plugin:display_name())
  roll(1)
  print("rolled to sample " .. session:transport_sample())
  print_parameters(plugin)
end
assert(session:save_state("", false, false, false, false, false) == 0, "save failed")
print("saved " .. phase)
close_session()
AudioEngine:stop(false)
