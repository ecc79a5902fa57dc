-- Second run: reopens the session that save_session.lua wrote (its chunk possibly edited by
-- the test) and prints every parameter of the plug-in, then saves it again. Reads
-- LYRE_SESSION_DIR.
local dir = os.getenv("LYRE_SESSION_DIR")

assert(AudioEngine:set_backend("None (Dummy)", "", ""), "no dummy backend")
AudioEngine:set_device_name("Silence")
AudioEngine:set_sample_rate(48000)
AudioEngine:set_buffer_size(1024)
assert(AudioEngine:start(false) == 0, "the engine did not start")

local session = load_session(dir, "lyre")
assert(session, "the session did not open")
local track = session:route_by_name("Strings")
assert(not track:isnil(), "the track is gone")
local plugin = track:nth_plugin(0)
assert(not plugin:isnil(), "the plug-in is gone")
print("reopened: " .. plugin:display_name())

session:request_roll(ARDOUR.TransportRequestSource.TRS_UI)
sleep(1)
session:request_stop(false, false, ARDOUR.TransportRequestSource.TRS_UI)
sleep(1)

for index = 0, 7 do
  print(string.format("parameter %d = %.6f", index, ARDOUR.LuaAPI.get_processor_param(plugin, index)))
end
assert(session:save_state("", false, false, false, false, false) == 0, "save failed")
print("saved again")
close_session()
AudioEngine:stop(false)
