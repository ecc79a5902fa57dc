-- First run: a session on the silent backend, one stereo track with the plug-in, parameters
-- set, a few seconds rolled, saved and closed. Reads LYRE_SESSION_DIR.
local dir = os.getenv("LYRE_SESSION_DIR")
local values = { [2] = 0.8125, [3] = 0.25, [5] = 0.625 } -- Decay, Damp, Tune

assert(AudioEngine:set_backend("None (Dummy)", "", ""), "no dummy backend")
AudioEngine:set_device_name("Silence")
AudioEngine:set_sample_rate(48000)
AudioEngine:set_buffer_size(1024)
assert(AudioEngine:start(false) == 0, "the engine did not start")

local session = create_session(dir, "lyre", 48000)
assert(session, "no session")
local tracks = session:new_audio_track(2, 2, nil, 1, "Strings",
  ARDOUR.PresentationInfo.max_order, ARDOUR.TrackMode.Normal, true, false)
local track = tracks:front()
local plugin = ARDOUR.LuaAPI.new_plugin(session, "ZEM Lyrebloom", ARDOUR.PluginType.LXVST, "")
assert(not plugin:isnil(), "the plug-in was not found")
assert(track:add_processor_by_index(plugin, 0, nil, true) == 0, "the plug-in was not added")
print("instantiated: " .. plugin:display_name())

for index, value in pairs(values) do
  assert(ARDOUR.LuaAPI.set_processor_param(plugin, index, value), "cannot set parameter " .. index)
end

session:request_roll(ARDOUR.TransportRequestSource.TRS_UI)
sleep(2)
session:request_stop(false, false, ARDOUR.TransportRequestSource.TRS_UI)
sleep(1)
print("rolled to sample " .. session:transport_sample())
assert(session:transport_sample() > 0, "the transport did not move")

for index, value in pairs(values) do
  local now = ARDOUR.LuaAPI.get_processor_param(plugin, index)
  print(string.format("parameter %d = %.6f", index, now))
  assert(math.abs(now - value) < 1e-6, "parameter " .. index .. " did not hold its value")
end
assert(session:save_state("", false, false, false, false, false) == 0, "save failed")
print("saved")
close_session()
AudioEngine:stop(false)
