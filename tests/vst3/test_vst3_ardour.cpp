// Brindle.vst3 in Ardour 7, headless (ardour7-lua on the Dummy backend):
// Ardour's own scanner indexes the bundle, and a session with Brindle on a mono and on a stereo track,
// its parameters set, is saved and loaded again with the same values.
//
// Ardour lists VST3 plug-ins only from its scan cache, which must be newer than the module to the
// second: the module's copy is dated back before the scan. The engine runs a few process cycles
// before the session is saved, as a user's session would have.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const char* const kArdourLibs = "/usr/lib/ardour7";
const char* const kScanner = "/usr/lib/ardour7/ardour-vst3-scanner";
const char* const kLua = "/usr/bin/ardour7-lua";

std::string RunCommand(const std::string& command)
{
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return out;
  char buffer[4096];
  size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  pclose(pipe);
  return out;
}

// A session script: one track per channel count, Brindle on each with three values set; the values
// printed before saving and after loading the session again.
const char* const kSessionScript = R"lua(
AudioEngine:set_backend("None (Dummy)", "", "")
AudioEngine:start(false)
assert(create_session(SESSION_DIR, "brindle", 48000), "no session")
local function show(when, route)
  local p = route:nth_plugin(0)
  if p:isnil() then return end
  local v = {}
  for i = 0, 3 do v[#v + 1] = string.format("%.4f", ARDOUR.LuaAPI.get_processor_param(p, i, true)) end
  print(when, route:name(), p:name(), table.concat(v, " "))
end
for _, ch in ipairs({1, 2}) do
  local track = Session:new_audio_track(ch, ch, nil, 1, "ch" .. ch, ARDOUR.PresentationInfo.max_order,
                                        ARDOUR.TrackMode.Normal, true, false):front()
  local p = ARDOUR.LuaAPI.new_plugin(Session, "Brindle", ARDOUR.PluginType.VST3, "")
  assert(not p:isnil(), "Brindle is not listed")
  assert(track:add_processor_by_index(p, 0, nil, true), "Brindle was not added")
  ARDOUR.LuaAPI.set_processor_param(p, 0, 0.25)
  ARDOUR.LuaAPI.set_processor_param(p, 1, 0.75)
  ARDOUR.LuaAPI.set_processor_param(p, 3, 0)
end
ARDOUR.LuaAPI.wait_for_process_callback(10, 5000)
for r in Session:get_routes():iter() do show("saved", r) end
Session:save_state("", false, false, false, false, false)
close_session()
assert(load_session(SESSION_DIR, "brindle"), "not loaded again")
ARDOUR.LuaAPI.wait_for_process_callback(10, 5000)
for r in Session:get_routes():iter() do show("loaded", r) end
close_session()
)lua";

std::vector<std::string> LinesStartingWith(const std::string& text, const std::string& prefix)
{
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    if (line.rfind(prefix, 0) == 0) lines.push_back(line.substr(prefix.size()));
  return lines;
}

} // namespace

TEST(ArdourVst3, ScannedSavedAndLoadedWithTheSameValues)
{
  // Installed by scripts/packages.txt: a missing Ardour is a failure, not a skip.
  ASSERT_TRUE(fs::exists(kScanner) && fs::exists(kLua)) << "Ardour 7 is not installed (Debian's ardour)";
  char pattern[] = "/tmp/brindle-ardour-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const fs::path home = pattern;
  struct Cleanup
  {
    fs::path mDir;
    ~Cleanup() { fs::remove_all(mDir); }
  } cleanup{home};
  const fs::path bundle = home / ".vst3" / "Brindle.vst3";
  fs::create_directories(bundle.parent_path());
  fs::copy(BRINDLE_VST3_BUNDLE, bundle, fs::copy_options::recursive);
  const fs::path so = bundle / "Contents" / "x86_64-linux" / "Brindle.so";
  fs::last_write_time(so, fs::last_write_time(so) - std::chrono::seconds(5));
  const std::string env = "HOME='" + home.string() + "' LD_LIBRARY_PATH=" + kArdourLibs + " ";

  // The scanner's exit status says nothing; its cache entry is the proof.
  RunCommand(env + kScanner + " -q -f '" + bundle.string() + "' 2>&1");
  std::string cache;
  for (const auto& entry : fs::directory_iterator(home / ".cache" / "ardour7" / "vst")) {
    std::ifstream in(entry.path());
    cache.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  EXPECT_NE(cache.find("name=\"Brindle\""), std::string::npos) << cache;
  EXPECT_NE(cache.find("category=\"Fx|Distortion\""), std::string::npos) << cache;

  const fs::path script = home / "session.lua";
  std::ofstream(script) << "SESSION_DIR = \"" << (home / "session").string() << "\"\n" << kSessionScript;
  const std::string out = RunCommand(env + "timeout 120 " + kLua + " '" + script.string() + "' 2>&1");
  const std::vector<std::string> saved = LinesStartingWith(out, "saved ");
  const std::vector<std::string> loaded = LinesStartingWith(out, "loaded ");
  const std::vector<std::string> expected = {"ch1 Brindle 0.2500 0.7500 1.0000 0.0000",
                                             "ch2 Brindle 0.2500 0.7500 1.0000 0.0000"};
  EXPECT_EQ(saved, expected) << out;
  EXPECT_EQ(loaded, expected) << out;
}
