-- The VST 3 bundle in a headless session. LYRE_PHASE=save: one stereo track with the plug-in,
-- an edit in program 0, a switch to program 2 ("High") through Ardour's presets and an edit
-- there, a roll, save. LYRE_PHASE=reopen: the session reopened, the values printed, then back
-- to program 0, whose edit only the plug-in's state can have kept, and saved again.
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

local function load_program(plugin, name)
  local vst3 = plugin:to_insert():plugin(0)
  local preset = vst3:preset_by_label(name)
  assert(preset and preset.uri ~= "", "no preset " .. name)
  assert(vst3:load_preset(preset), "cannot load preset " .. name)
  print("program " .. name)
end

local plugin
if phase == "save" then
  session = create_session(dir, "lyre", 48000)
  assert(session, "no session")
  local tracks = session:new_audio_track(2, 2, nil, 1, "Strings",
    ARDOUR.PresentationInfo.max_order, ARDOUR.TrackMode.Normal, true, false)
  plugin = ARDOUR.LuaAPI.new_plugin(session, "ZEM Lyrebloom", ARDOUR.PluginType.VST3, "")
  assert(not plugin:isnil(), "the plug-in was not found")
  assert(tracks:front():add_processor_by_index(plugin, 0, nil, true) == 0, "not added")
  print("instantiated: " .. plugin:display_name())
  assert(ARDOUR.LuaAPI.set_processor_param(plugin, 2, 0.8125), "cannot set Decay")
  roll(1)
  load_program(plugin, "High")
  roll(1)
  assert(ARDOUR.LuaAPI.set_processor_param(plugin, 3, 0.375), "cannot set Damp")
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
  print_parameters(plugin)
  load_program(plugin, "Default")
  roll(1)
  print("after the switch")
  print_parameters(plugin)
end
assert(session:save_state("", false, false, false, false, false) == 0, "save failed")
print("saved " .. phase)
close_session()
AudioEngine:stop(false)
