// Brindle.vst3 in Ardour 7, headless (ardour7-lua on the Dummy backend):
// Ardour's own scanner indexes the bundle, and a session with Brindle on a mono and on a stereo track,
// its parameters set, is saved and loaded again with the same values; and the audio Ardour renders
// through Brindle equals `brindle render` of the same input with the same settings.
//
// Ardour lists VST3 plug-ins only from its scan cache, which must be newer than the module to the
// second: the module's copy is dated back before the scan. The engine runs a few process cycles
// before the session is saved, as a user's session would have.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <stdlib.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
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

// A repeatable test signal as an Ardour DSP script: each channel its own tone under a slow
// envelope, plus a common higher one. The session script restarts it through shared memory right
// before each bounce, so the bounce of Brindle's input and that of its output see the same signal.
const char* const kSignalScript = R"lua(
ardour { ["type"] = "dsp", name = "Brindle Test Signal", category = "Utility", license = "MIT",
         author = "Brindle", description = [[A repeatable test signal, restarted through shared memory]] }
function dsp_ioconfig () return { { audio_in = -1, audio_out = -1 } } end
local n = 0
local rate = 48000
function dsp_init (r) rate = r; self:shmem():allocate(1); self:shmem():clear() end
function dsp_run (ins, outs, n_samples)
  local restart = self:shmem():to_int(0):array()
  if restart[1] ~= 0 then n = 0; restart[1] = 0 end
  for c = 1, #outs do
    local o = outs[c]:array()
    for s = 1, n_samples do
      local t = (n + s - 1) / rate
      o[s] = (0.3 + 0.25 * math.sin(2 * math.pi * 1.5 * t)) * math.sin(2 * math.pi * 110 * c * t)
             + 0.1 * math.sin(2 * math.pi * 1375 * t)
    end
  end
  n = n + n_samples
end
)lua";

// The same signal as the DSP script computes it, rounded to the engine's floats.
float TestSignal(int channel, long frame)
{
  const double pi = 3.14159265358979323846;
  const double t = frame / 48000.0;
  return static_cast<float>((0.3 + 0.25 * std::sin(2 * pi * 1.5 * t)) * std::sin(2 * pi * 110 * (channel + 1) * t) +
                            0.1 * std::sin(2 * pi * 1375 * t));
}

// Per track: the signal, then Brindle with the values of SETTINGS; each bounced up to Brindle and
// through it, file by file. The engine is stopped for the bounces so that no live cycle runs the
// signal on between its restart and the bounce.
const char* const kRenderScript = R"lua(
AudioEngine:set_backend("None (Dummy)", "", "")
AudioEngine:start(false)
assert(create_session(SESSION_DIR, "render", 48000), "no session")
for ch, values in ipairs(SETTINGS) do
  local track = Session:new_audio_track(ch, ch, nil, 1, "ch" .. ch, ARDOUR.PresentationInfo.max_order,
                                        ARDOUR.TrackMode.Normal, true, false):front()
  local signal = ARDOUR.LuaAPI.new_luaproc(Session, "Brindle Test Signal")
  assert(not signal:isnil(), "the test signal script is not listed")
  assert(track:add_processor_by_index(signal, 0, nil, true), "the test signal was not added")
  local p = ARDOUR.LuaAPI.new_plugin(Session, "Brindle", ARDOUR.PluginType.VST3, "")
  assert(not p:isnil(), "Brindle is not listed")
  assert(track:add_processor_by_index(p, 1, nil, true), "Brindle was not added")
  for i, v in ipairs(values) do ARDOUR.LuaAPI.set_processor_param(p, i - 1, v) end
  ARDOUR.LuaAPI.wait_for_process_callback(10, 5000)
  local insert = p:to_insert()
  print("inputs", ch, insert:natural_input_streams():n_audio())
  AudioEngine:stop(false)
  for _, through in ipairs({false, true}) do
    signal:to_insert():plugin(0):to_luaproc():shmem():to_int(0):array()[1] = 1
    local name = (through and "out" or "in") .. ch
    local region = track:to_track():bounce_range(0, FRAMES, ARDOUR.InterThreadInfo(), p, through, name)
    assert(not region:isnil(), "no bounce")
    local audio = region:to_audioregion()
    for i = 0, audio:n_channels() - 1 do print("bounce", name, audio:source(i):to_filesource():path()) end
  end
  AudioEngine:start(false)
end
close_session()
)lua";

using Channels = std::vector<std::vector<float>>;

Channels ReadWav(const std::string& path)
{
  SF_INFO info{};
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  if (!file) return {};
  std::vector<float> interleaved(static_cast<size_t>(info.frames * info.channels));
  sf_readf_float(file, interleaved.data(), info.frames);
  sf_close(file);
  Channels channels(static_cast<size_t>(info.channels), std::vector<float>(static_cast<size_t>(info.frames)));
  for (size_t i = 0; i < interleaved.size(); ++i) channels[i % channels.size()][i / channels.size()] = interleaved[i];
  return channels;
}

bool WriteWav(const std::string& path, const Channels& channels)
{
  SF_INFO info{};
  info.samplerate = 48000;
  info.channels = static_cast<int>(channels.size());
  info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (!file) return false;
  std::vector<float> interleaved;
  for (size_t i = 0; i < channels[0].size(); ++i)
    for (const auto& channel : channels) interleaved.push_back(channel[i]);
  const sf_count_t frames = static_cast<sf_count_t>(channels[0].size());
  const bool written = sf_writef_float(file, interleaved.data(), frames) == frames;
  sf_close(file);
  return written;
}

// The lag (within ±kMaxLag frames) at which `got` best matches `ref` by cross-correlation, and the
// difference there in dB relative to `ref`, over the frames both cover at every lag.
constexpr int kMaxLag = 64;
std::pair<int, double> AlignedResidualDb(const std::vector<float>& ref, const std::vector<float>& got)
{
  const long n = static_cast<long>(std::min(ref.size(), got.size()));
  int best = 0;
  double bestCorrelation = -1e300;
  for (int lag = -kMaxLag; lag <= kMaxLag; ++lag) {
    double correlation = 0;
    for (long i = kMaxLag; i < n - kMaxLag; ++i) correlation += double(ref[i]) * got[i + lag];
    if (correlation > bestCorrelation) bestCorrelation = correlation, best = lag;
  }
  double signal = 0, residual = 0;
  for (long i = kMaxLag; i < n - kMaxLag; ++i) {
    signal += double(ref[i]) * ref[i];
    residual += (double(got[i + best]) - ref[i]) * (double(got[i + best]) - ref[i]);
  }
  // A bit-exact match would be -inf: report it as the float format's floor instead.
  return {best, 10 * std::log10(std::max(residual, 1e-30 * signal) / signal)};
}

double Rms(const std::vector<float>& samples)
{
  double sum = 0;
  for (float s : samples) sum += double(s) * s;
  return std::sqrt(sum / std::max<size_t>(samples.size(), 1));
}

} // namespace

// A home of its own for each test, holding a copy of the bundle that Ardour's scanner has indexed.
class ArdourVst3 : public ::testing::Test
{
protected:
  void SetUp() override
  {
    // Installed by scripts/packages.txt: a missing Ardour is a failure, not a skip.
    ASSERT_TRUE(fs::exists(kScanner) && fs::exists(kLua)) << "Ardour 7 is not installed (Debian's ardour)";
    char pattern[] = "/tmp/brindle-ardour-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    mHome = pattern;
    const fs::path bundle = mHome / ".vst3" / "Brindle.vst3";
    fs::create_directories(bundle.parent_path());
    fs::copy(BRINDLE_VST3_BUNDLE, bundle, fs::copy_options::recursive);
    const fs::path so = bundle / "Contents" / "x86_64-linux" / "Brindle.so";
    fs::last_write_time(so, fs::last_write_time(so) - std::chrono::seconds(5));
    mEnv = "HOME='" + mHome.string() + "' LD_LIBRARY_PATH=" + kArdourLibs + " ";

    // The scanner's exit status says nothing; its cache entry is the proof.
    RunCommand(mEnv + kScanner + " -q -f '" + bundle.string() + "' 2>&1");
    for (const auto& entry : fs::directory_iterator(mHome / ".cache" / "ardour7" / "vst")) {
      std::ifstream in(entry.path());
      mCache.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
  }
  void TearDown() override
  {
    if (!mHome.empty()) fs::remove_all(mHome);
  }
  std::string RunLua(const std::string& globals, const char* script)
  {
    const fs::path file = mHome / "session.lua";
    std::ofstream(file) << globals << script;
    return RunCommand(mEnv + "timeout 120 " + kLua + " '" + file.string() + "' 2>&1");
  }

  fs::path mHome;
  std::string mEnv;
  std::string mCache;
};

TEST_F(ArdourVst3, ScannedSavedAndLoadedWithTheSameValues)
{
  EXPECT_NE(mCache.find("name=\"Brindle\""), std::string::npos) << mCache;
  EXPECT_NE(mCache.find("category=\"Fx|Distortion\""), std::string::npos) << mCache;

  const std::string out = RunLua("SESSION_DIR = \"" + (mHome / "session").string() + "\"\n", kSessionScript);
  const std::vector<std::string> saved = LinesStartingWith(out, "saved ");
  const std::vector<std::string> loaded = LinesStartingWith(out, "loaded ");
  const std::vector<std::string> expected = {"ch1 Brindle 0.2500 0.7500 1.0000 0.0000",
                                             "ch2 Brindle 0.2500 0.7500 1.0000 0.0000"};
  EXPECT_EQ(saved, expected) << out;
  EXPECT_EQ(loaded, expected) << out;
}

// Ardour 7 takes the buses' default arrangement (stereo) and feeds a mono track's channel to both
// of Brindle's inputs, so `brindle render` gets that two-channel input too. Both paths run the same
// double-precision chain and store 32-bit floats; they differ only by Brindle's per-instance noise
// floor (around 1e-20) and float rounding (below -140 dB on a signal this loud), while one step of
// 0.001 on Level or Attack already leaves a residual above -60 dB.
TEST_F(ArdourVst3, RendersWhatBrindleRenderDoes)
{
  constexpr long kFrames = 2 * 48000;
  constexpr double kBoundDb = -120;
  struct Setting
  {
    double mLevel, mAttack;
    bool mEffect, mCabinet;
  };
  const Setting settings[] = {{0.8, 0.3, true, true}, {0.25, 0.75, true, false}};
  std::ostringstream globals;
  globals << "SESSION_DIR = \"" << (mHome / "render").string() << "\"\nFRAMES = " << kFrames << "\nSETTINGS = {";
  for (const Setting& s : settings)
    globals << "{" << s.mLevel << ", " << s.mAttack << ", " << s.mEffect << ", " << s.mCabinet << "}, ";
  globals << "}\n";
  const fs::path scripts = mHome / ".config" / "ardour7" / "scripts";
  fs::create_directories(scripts);
  std::ofstream(scripts / "brindle_test_signal.lua") << kSignalScript;
  const std::string out = RunLua(globals.str(), kRenderScript);

  const std::vector<std::string> bounces = LinesStartingWith(out, "bounce ");
  const std::vector<std::string> inputs = LinesStartingWith(out, "inputs ");
  ASSERT_EQ(inputs.size(), 2u) << out;
  for (int track = 1; track <= 2; ++track) {
    SCOPED_TRACE("track of " + std::to_string(track) + " channel(s)");
    const Setting& s = settings[track - 1];
    Channels in, through;
    for (const std::string& line : bounces) {
      const std::string name = line.substr(0, line.find(' '));
      const Channels file = ReadWav(line.substr(line.find(' ') + 1));
      ASSERT_EQ(file.size(), 1u) << line;
      if (name == "in" + std::to_string(track)) in.push_back(file[0]);
      if (name == "out" + std::to_string(track)) through.push_back(file[0]);
    }
    ASSERT_EQ(in.size(), size_t(track)) << out;
    // The restart worked: what reached Brindle is the signal from its first frame.
    for (int c = 0; c < track; ++c) {
      ASSERT_EQ(in[c].size(), size_t(kFrames));
      float worst = 0;
      for (long i = 0; i < kFrames; ++i) worst = std::max(worst, std::abs(in[c][i] - TestSignal(c, i)));
      EXPECT_LT(worst, 1e-6f) << "channel " << c;
    }
    const int pluginInputs = std::stoi(inputs[track - 1].substr(inputs[track - 1].find(' ') + 1));
    ASSERT_GE(pluginInputs, track) << out;
    Channels fedToBrindle;
    for (int c = 0; c < pluginInputs; ++c) fedToBrindle.push_back(in[c % track]);
    const fs::path inFile = mHome / ("in" + std::to_string(track) + ".wav");
    const fs::path refFile = mHome / ("ref" + std::to_string(track) + ".wav");
    ASSERT_TRUE(WriteWav(inFile.string(), fedToBrindle));
    std::ostringstream render;
    render << BRINDLE_EXE << " render '" << inFile.string() << "' '" << refFile.string() << "' --quiet --level "
           << s.mLevel << " --attack " << s.mAttack << " --effect " << (s.mEffect ? "on" : "off") << " --cabinet "
           << (s.mCabinet ? "on" : "off") << " 2>&1";
    const std::string rendered = RunCommand(render.str());
    const Channels ref = ReadWav(refFile.string());
    ASSERT_EQ(ref.size(), size_t(pluginInputs)) << rendered;
    ASSERT_EQ(through.size(), ref.size()) << out;
    for (size_t c = 0; c < ref.size(); ++c) {
      ASSERT_GT(Rms(ref[c]), 0.01) << "channel " << c << " of brindle render is (nearly) silent";
      const auto [lag, db] = AlignedResidualDb(ref[c], through[c]);
      std::printf("Ardour vs brindle render, %d-channel track, output %zu: lag %d, residual %.1f dB\n", track, c, lag,
                  db);
      EXPECT_LT(db, kBoundDb) << "channel " << c << " at lag " << lag;
    }
  }
}
