// `brindle demo`: synthesizes a riff and renders it through the effect with a few settings.
#include "tools/cli/CommandLine.h"
#include "tools/cli/Commands.h"

#include "tools/files/AudioFiles.h"
#include "tools/host/ComponentHost.h"
#include "tools/host/EditorHost.h"
#include "tools/editor/EditorSnapshot.h"
#include "tools/plot/PlotFiles.h"
#include "tools/plot/ResponsePicture.h"
#include "tools/render/RenderJob.h"
#include "tools/render/RiffSynth.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/stat.h>

namespace {

const char kUsage[] =
    "usage: brindle demo [--out DIR]\n"
    "\n"
    "Synthesizes a few seconds of a plucked-string riff and writes, into DIR (default out/demo):\n"
    "  brindle-dry.wav          the riff itself\n"
    "  brindle-fuzz.wav         through Brindle at its default settings\n"
    "  brindle-fuzz-hot.wav     \"Level\" 0.8, \"Attack\" 1\n"
    "  brindle-fuzz-nocab.wav   cabinet off\n"
    "  brindle-demo.png         waveforms and spectra of the four, one row each\n"
    "  brindle-editor.png       the editor as a host first shows it\n"
    "  brindle-editor-footswitch.png  the editor with the footswitch held down (effect off)\n"
    "  brindle-response.png     the magnitude response of the tone stage, with the cabinet on and off\n";

constexpr int kDemoRate = 44100;

bool MakeFolders(const std::string& path, std::string& error)
{
  for (size_t pos = 1; pos <= path.size(); ++pos) {
    if (pos != path.size() && path[pos] != '/') continue;
    const std::string part = path.substr(0, pos);
    if (mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) {
      error = "cannot create '" + part + "': " + std::strerror(errno);
      return false;
    }
  }
  return true;
}

struct Variant
{
  const char* file;
  RenderSettings settings;
};

} // namespace

int RunDemoCommand(int argc, char** argv)
{
  std::string folder = "out/demo";
  for (int i = 0; i < argc; ++i) {
    if (!std::strcmp(argv[i], "-h") || !std::strcmp(argv[i], "--help")) {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (!std::strcmp(argv[i], "--out")) {
      if (i + 1 >= argc) return CommandUsageError("demo", "--out needs a value");
      folder = argv[++i];
      continue;
    }
    if (!std::strncmp(argv[i], "--out=", 6)) {
      folder = argv[i] + 6;
      continue;
    }
    if (argv[i][0] == '-') return CommandUsageError("demo", "unknown option '" + std::string(argv[i]) + "'");
    return CommandUsageError("demo", "unexpected argument '" + std::string(argv[i]) + "'");
  }
  InstallTempFileCleanup();
  std::string error;
  if (!MakeFolders(folder, error)) {
    return CommandFailure("demo", error);
  }

  const std::string dry = folder + "/brindle-dry.wav";
  const std::vector<float> riff = SynthesizeRiff(kDemoRate);
  SafeSoundWriter writer;
  if (!writer.Open(dry, SF_FORMAT_WAV | SF_FORMAT_FLOAT, 1, kDemoRate, error) ||
      !writer.Write(riff.data(), static_cast<long>(riff.size()), error) || !writer.Commit(error)) {
    return CommandFailure("demo", error);
  }
  std::printf("wrote %s (%.1f s plucked-string riff, mono, %d Hz)\n", dry.c_str(),
              static_cast<double>(riff.size()) / kDemoRate, kDemoRate);

  Variant variants[3];
  variants[0].file = "brindle-fuzz.wav";
  variants[1].file = "brindle-fuzz-hot.wav";
  variants[1].settings.hasLevel = true;
  variants[1].settings.level = 0.8;
  variants[1].settings.hasAttack = true;
  variants[1].settings.attack = 1.0;
  variants[2].file = "brindle-fuzz-nocab.wav";
  variants[2].settings.cabinet = 0;
  const char* descriptions[3] = {"default settings", "Level 0.8, Attack 1", "cabinet off"};
  std::vector<PlotInput> pictureRows = {{dry, "Dry riff"}};
  const char* rowTitles[3] = {"Fuzz, default settings", "Fuzz, hot: Level 0.8, Attack 1", "Fuzz, cabinet off"};
  for (int v = 0; v < 3; ++v) {
    const std::string path = folder + "/" + variants[v].file;
    std::unique_ptr<IRenderEngine> engine = MakeDirectEngine();
    RenderStats stats;
    if (!RenderFile(dry, path, variants[v].settings, *engine, stats, error)) {
      return CommandFailure("demo", error);
    }
    std::printf("wrote %s (fuzz, %s)\n", path.c_str(), descriptions[v]);
    pictureRows.push_back({path, rowTitles[v]});
  }
  const std::string picture = folder + "/brindle-demo.png";
  if (!PlotSoundFiles(pictureRows, "Brindle demo: the plucked riff, dry and through the fuzz",
                      "Grey in each spectrum is the dry riff; every waveform shares one amplitude scale.", picture,
                      error)) {
    return CommandFailure("demo", error);
  }
  std::printf("wrote %s (waveforms and spectra)\n", picture.c_str());

  // The editor, opened through the component as a host opens it.
  const std::string bundle = ResolveComponentPath("");
  const std::string editorPicture = folder + "/brindle-editor.png";
  if (!SnapshotEditor(bundle, nullptr, editorPicture, error)) return CommandFailure("demo", error);
  std::printf("wrote %s (the editor)\n", editorPicture.c_str());
  const std::string pressedPicture = folder + "/brindle-editor-footswitch.png";
  if (!SnapshotEditor(
          bundle, [](EditorHost& editor) { editor.Press(104, 196); }, pressedPicture, error))
    return CommandFailure("demo", error);
  std::printf("wrote %s (the editor, footswitch held down)\n", pressedPicture.c_str());

  // The sound's linear stages, as a guitarist reads a speaker or pedal chart.
  ResponseCurve cabOn, cabOff;
  cabOn.name = "cabinet on";
  cabOff.cabinet = 0;
  cabOff.color = IColor(255, 40, 90, 200);
  cabOff.name = "cabinet off";
  const std::string responsePicture = folder + "/brindle-response.png";
  if (!DrawResponsePicture({cabOn, cabOff}, "Brindle: tone stage at Level 0.5, with the cabinet on and off",
                           responsePicture, error))
    return CommandFailure("demo", error);
  std::printf("wrote %s (magnitude response, cabinet on and off)\n", responsePicture.c_str());
  return 0;
}
