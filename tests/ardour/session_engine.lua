-- What every headless session script here starts with: the dummy engine at 48 kHz, and the
-- helpers to roll and to print the plug-in's eight parameters. The session lives in
-- LYRE_SESSION_DIR; LYRE_PHASE says which run this is (save, or reopen).
dir = os.getenv("LYRE_SESSION_DIR")
phase = os.getenv("LYRE_PHASE")

assert(AudioEngine:set_backend("None (Dummy)", "", ""), "no dummy backend")
AudioEngine:set_device_name("Silence")
AudioEngine:set_sample_rate(48000)
AudioEngine:set_buffer_size(1024)
assert(AudioEngine:start(false) == 0, "the engine did not start")

function roll(seconds)
  session:request_roll(ARDOUR.TransportRequestSource.TRS_UI)
  sleep(seconds)
  session:request_stop(false, false, ARDOUR.TransportRequestSource.TRS_UI)
  sleep(1)
end

-- Rolls, then says where the transport got to and prints the parameters.
function roll_and_print(plugin, seconds)
  roll(seconds)
  print("rolled to sample " .. session:transport_sample())
  print_parameters(plugin)
end

function print_parameters(plugin)
  for index = 0, 7 do
    print(string.format("parameter %d = %.6f", index, ARDOUR.LuaAPI.get_processor_param(plugin, index)))
  end
end

-- A new session "lyre" in `dir` with one stereo track "Strings" holding the plug-in.
function new_session_with_plugin(dir, type)
  session = create_session(dir, "lyre", 48000)
  assert(session, "no session")
  local tracks = session:new_audio_track(2, 2, nil, 1, "Strings",
    ARDOUR.PresentationInfo.max_order, ARDOUR.TrackMode.Normal, true, false)
  local plugin = ARDOUR.LuaAPI.new_plugin(session, "ZEM Lyrebloom", type, "")
  assert(not plugin:isnil(), "the plug-in was not found")
  assert(tracks:front():add_processor_by_index(plugin, 0, nil, true) == 0, "not added")
  print("instantiated: " .. plugin:display_name())
  return plugin
end

-- The session in `dir` reopened: the track's plug-in.
function reopened_plugin(dir)
  session = load_session(dir, "lyre")
  assert(session, "the session did not open")
  local track = session:route_by_name("Strings")
  assert(not track:isnil(), "the track is gone")
  local plugin = track:nth_plugin(0)
  assert(not plugin:isnil(), "the plug-in is gone")
  print("reopened: " .. plugin:display_name())
  return plugin
end

-- Saves the session and closes it and the engine.
function save_and_close(phase)
  assert(session:save_state("", false, false, false, false, false) == 0, "save failed")
  print("saved " .. phase)
  close_session()
  AudioEngine:stop(false)
end
