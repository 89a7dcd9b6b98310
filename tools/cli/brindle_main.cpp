// brindle: the project's command-line front end. No exception leaves a command: whatever escapes
// one is reported as the command's one-line failure.
#include "BrindleIdentity.h"
#include "tools/cli/CommandLine.h"
#include "tools/cli/Commands.h"

#include <cstdio>
#include <cstring>
#include <exception>
#include <new>
#include <string>

namespace {
const char kUsage[] =
    "usage: brindle <command> [options]\n"
    "\n"
    "commands:\n"
    "  render IN OUT [options]   run a sound file through the fuzz\n"
    "  demo [options]            synthesize a plucked-string riff and render it dry and fuzzed\n"
    "  info [options]            describe the component: identity, parameters, channels, presets\n"
    "  validate [options]        check the component as a host would, one line per check\n"
    "  save-preset OUT [options] write the component's state as an .aupreset, .fxp or .fxb file\n"
    "  show-preset FILE          print the format, plug-in, presets and values a preset file holds\n"
    "  plot IN... -o OUT.png     draw waveforms and spectra of sound files into a picture\n"
    "  editor --snapshot OUT.png open the editor as a host does, replay mouse and key events, save its picture\n"
    "  response -o OUT.png       draw the magnitude response of the tone stage and cabinet\n"
    "  play [options]            run the effect live on a JACK server, with its editor in a window\n"
    "  new-plugin DIR [options]  write a new plug-in project built on the installed framework\n"
    "\n"
    "'brindle <command> --help' describes each command; 'brindle --version' prints the version.\n";

int Dispatch(const char* command, int argc, char** argv)
{
  if (!std::strcmp(command, "render")) return RunRenderCommand(argc, argv);
  if (!std::strcmp(command, "demo")) return RunDemoCommand(argc, argv);
  if (!std::strcmp(command, "info")) return RunInfoCommand(argc, argv);
  if (!std::strcmp(command, "validate")) return RunValidateCommand(argc, argv);
  if (!std::strcmp(command, "save-preset")) return RunSavePresetCommand(argc, argv);
  if (!std::strcmp(command, "show-preset")) return RunShowPresetCommand(argc, argv);
  if (!std::strcmp(command, "plot")) return RunPlotCommand(argc, argv);
  if (!std::strcmp(command, "editor")) return RunEditorCommand(argc, argv);
  if (!std::strcmp(command, "response")) return RunResponseCommand(argc, argv);
  if (!std::strcmp(command, "play")) return RunPlayCommand(argc, argv);
  if (!std::strcmp(command, "new-plugin")) return RunNewPluginCommand(argc, argv);
  std::fprintf(stderr, "brindle: unknown command '%s' (try 'brindle --help')\n", command);
  return 2;
}

// A command's report that could not be written (a full disk, a closed pipe) is a failure, whatever
// the command made of its work.
int FinishStandardOutput(const char* command, int status)
{
  if (FlushStandardOutput() || status != 0) return status;
  return CommandFailure(command, std::string("cannot write standard output: ") + std::strerror(StandardOutputError()));
}

} // namespace

int main(int argc, char** argv)
{
  if (argc < 2) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  const char* command = argv[1];
  if (!std::strcmp(command, "--help") || !std::strcmp(command, "-h") || !std::strcmp(command, "help")) {
    std::fputs(kUsage, stdout);
    return FinishStandardOutput(command, 0);
  }
  if (!std::strcmp(command, "--version") || !std::strcmp(command, "version")) {
    std::printf("brindle %s\n", BrindleIdentity::kVersionString);
    return FinishStandardOutput(command, 0);
  }
  try {
    return FinishStandardOutput(command, Dispatch(command, argc - 2, argv + 2));
  } catch (const std::bad_alloc&) {
    return CommandFailure(command, "out of memory");
  } catch (const std::exception& e) {
    return CommandFailure(command, std::string("internal error: ") + e.what());
  } catch (...) {
    return CommandFailure(command, "internal error");
  }
}
