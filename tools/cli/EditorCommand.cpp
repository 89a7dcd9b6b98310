// `brindle editor --snapshot OUT.png [events]`: opens the component's editor as a host does, replays
// mouse and key events, lets the redraw timer run and saves what the window shows. Without
// --snapshot the editor opens in a real window on the X display instead.
#include "tools/cli/CommandLine.h"
#include "tools/cli/Commands.h"

#include <AppKit/AppKit.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>
#include <string>
#include <vector>

#include "raster/Raster_MemBitmap.h"
#include "tools/host/ComponentHost.h"
#include "tools/host/EditorHost.h"
#include "tools/editor/EditorWindow.h"
#include "tools/files/PngWriter.h"
#include "tools/files/PresetCodec.h"

namespace {

const char kUsage[] = "usage: brindle editor [--snapshot OUT.png] [options] [events]\n"
                      "\n"
                      "Without --snapshot, opens the editor in a window on the X display ($DISPLAY, or --display)\n"
                      "and prints one line per parameter change as you make it (name, value, display text), until\n"
                      "the window is closed or Ctrl-C.\n"
                      "\n"
                      "With --snapshot:\n"
                      "Opens the Brindle component's editor the way a host does (the component's Cocoa view property,\n"
                      "the view factory class in the bundle, a view in a window of its own), replays the events in\n"
                      "order, lets the redraw timer run, and writes what the window shows as a PNG. Afterwards it\n"
                      "prints one line per parameter: its name, its value and its display text.\n"
                      "\n"
                      "Coordinates are editor pixels: origin at the top left, x to the right, y down (the editor is\n"
                      "208 x 326). A point outside the editor is delivered like any other and hits nothing. With\n"
                      "--scale they stay editor pixels: each lands in the middle of the larger pixel block, and a\n"
                      "drag moves that many editor pixels.\n"
                      "\n"
                      "options:\n"
                      "  --snapshot OUT.png     where to write the picture; - for standard output, and then\n"
                      "                         the parameter lines go to standard error\n"
                      "  --display NAME         the X display for the window (default: $DISPLAY)\n"
                      "  --scale S              the editor drawn S times larger, 1 to 3 (1.5, 2 ...): the snapshot is\n"
                      "                         the larger picture (416 x 652 at 2). Without it the snapshot is at\n"
                      "                         1, and the window follows the display: GDK_SCALE, else the X\n"
                      "                         resource Xft.dpi over 96\n"
                      "  --preset FILE          restore the state in FILE (.aupreset, .fxp or .fxb) first\n"
                      "  --set NAME=VALUE       set a parameter as a host would, before the events; VALUE is the\n"
                      "                         parameter's own value (Level=0.8, Effect=0) or one of its value\n"
                      "                         texts (Effect=Off); may be repeated\n"
                      "  --component PATH       the component bundle, Brindle's or another plug-in's (default:\n"
                      "                         $BRINDLE_COMPONENT, else Brindle's, built next to this program)\n"
                      "  -h, --help             this text\n"
                      "\n"
                      "events (in the order given):\n"
                      "  --click X,Y            press and release the left button\n"
                      "  --double-click X,Y     two clicks within the double-click interval\n"
                      "  --right-click X,Y      press and release the right button\n"
                      "  --drag X,Y,DX,DY[,shift]  press at X,Y, move by DX,DY, release (shift: fine adjustment)\n"
                      "  --wheel X,Y,D          turn the wheel by D (positive: up)\n"
                      "  --key K                a key: one printable character, or space, left, right, up, down\n"
                      "  --ticks N              let the redraw timer run N times (25 per second)\n";

int Usage(const std::string& message)
{
  return CommandUsageError("editor", message);
}

int Fail(const std::string& message)
{
  return CommandFailure("editor", message);
}

struct EditorEvent
{
  std::string kind; // the option name without "--"
  std::vector<double> numbers;
  bool shift = false;
  std::string key;
};

// "X,Y[,...]": exactly `count` finite numbers, or count + 1 when the last may be "shift". Coordinates
// must be whole numbers that fit an int.
bool ParseNumbers(const std::string& text, size_t count, bool allowShift, EditorEvent& event, bool wholeNumbers)
{
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    const size_t comma = text.find(',', start);
    parts.push_back(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  if (allowShift && parts.size() == count + 1 && parts.back() == "shift") {
    event.shift = true;
    parts.pop_back();
  }
  if (parts.size() != count) return false;
  for (size_t i = 0; i < parts.size(); ++i) {
    const std::string& part = parts[i];
    if (part.empty()) return false;
    char* end = nullptr;
    const double value = std::strtod(part.c_str(), &end);
    if (*end != '\0' || !std::isfinite(value)) return false;
    const bool mustBeWhole = wholeNumbers || i + 1 < parts.size();
    if (mustBeWhole && (value != std::floor(value) || std::fabs(value) > 1e9)) return false;
    event.numbers.push_back(value);
  }
  return true;
}

// The unit's description of a parameter and its name; false when the unit does not answer.
bool DescribeParameter(ComponentHost& host, AudioUnitParameterID id, AudioUnitParameterInfo& info, std::string& name)
{
  info = AudioUnitParameterInfo{};
  UInt32 size = sizeof(info);
  if (AudioUnitGetProperty(host.Unit(), kAudioUnitProperty_ParameterInfo, kAudioUnitScope_Global, id, &info, &size) !=
      noErr)
    return false;
  name = info.cfNameString ? StringFromCF(info.cfNameString) : info.name;
  ReleaseParameterInfoNames(info);
  return true;
}

struct Setting
{
  AudioUnitParameterID id;
  AudioUnitParameterValue value;
};

// NAME=VALUE with neither part empty; checked with the other arguments, before the unit is opened.
bool IsSettingForm(const std::string& text)
{
  const size_t equals = text.find('=');
  return equals != std::string::npos && equals != 0 && equals + 1 != text.size();
}

// NAME=VALUE (of IsSettingForm) against the unit's parameters: the name as the unit gives it (any case),
// the value as a number within the parameter's range or as one of its value texts.
bool ParseSetting(ComponentHost& host, const std::string& text, Setting& out, std::string& error)
{
  const size_t equals = text.find('=');
  const std::string name = text.substr(0, equals), valueText = text.substr(equals + 1);
  std::vector<AudioUnitParameterID> ids;
  host.ParameterList(ids);
  std::string known;
  for (AudioUnitParameterID id : ids) {
    AudioUnitParameterInfo info;
    std::string paramName;
    if (!DescribeParameter(host, id, info, paramName)) continue;
    known += (known.empty() ? "" : ", ") + paramName;
    if (strcasecmp(paramName.c_str(), name.c_str()) != 0) continue;
    out.id = id;
    char* end = nullptr;
    const double number = std::strtod(valueText.c_str(), &end);
    if (*end == '\0' && std::isfinite(number)) {
      if (number < info.minValue || number > info.maxValue) {
        error = "value " + valueText + " is outside " + paramName + "'s range";
        return false;
      }
      out.value = static_cast<AudioUnitParameterValue>(number);
      return true;
    }
    std::vector<std::string> texts;
    if (host.ValueStrings(id, texts) == noErr) {
      for (size_t i = 0; i < texts.size(); ++i)
        if (strcasecmp(texts[i].c_str(), valueText.c_str()) == 0) {
          out.value = static_cast<AudioUnitParameterValue>(info.minValue + i);
          return true;
        }
    }
    error = "'" + valueText + "' is not a value of " + paramName;
    return false;
  }
  error = "unknown parameter '" + name + "' (the parameters are " + known + ")";
  return false;
}

std::string ParameterName(ComponentHost& host, AudioUnitParameterID id)
{
  AudioUnitParameterInfo info{};
  UInt32 size = sizeof(info);
  if (AudioUnitGetProperty(host.Unit(), kAudioUnitProperty_ParameterInfo, kAudioUnitScope_Global, id, &info, &size) !=
      noErr)
    return "parameter " + std::to_string(id);
  const std::string name = info.cfNameString ? StringFromCF(info.cfNameString) : info.name;
  ReleaseParameterInfoNames(info);
  return name;
}

void PrintParameter(ComponentHost& host, AudioUnitParameterID id, AudioUnitParameterValue value)
{
  std::string text;
  host.ValueText(id, value, text);
  std::printf("%s %.6g \"%s\"\n", ParameterName(host, id).c_str(), static_cast<double>(value), text.c_str());
  std::fflush(stdout); // a line as each change happens, also into a pipe
}

void PrintParameters(ComponentHost& host, FILE* out)
{
  std::vector<AudioUnitParameterID> ids;
  host.ParameterList(ids);
  for (AudioUnitParameterID id : ids) {
    AudioUnitParameterInfo info;
    std::string name;
    if (!DescribeParameter(host, id, info, name)) continue;
    AudioUnitParameterValue value = 0;
    host.GetParameter(id, value);
    std::string text;
    host.ValueText(id, value, text);
    std::fprintf(out, "%s %.6g \"%s\"\n", name.c_str(), static_cast<double>(value), text.c_str());
  }
}

// True when the picture goes to standard output: "-", or a name for the file standard output is open on
// (/dev/stdout, /dev/fd/1, the file it was redirected to).
bool WritesToStandardOutput(const std::string& path)
{
  if (path == "-") return true;
  struct stat named, out;
  return stat(path.c_str(), &named) == 0 && fstat(STDOUT_FILENO, &out) == 0 && named.st_dev == out.st_dev &&
         named.st_ino == out.st_ino;
}

} // namespace

int RunEditorCommand(int argc, char** argv)
{
  std::string componentPath, presetPath, snapshotPath, displayName;
  double scale = 0.0; // none given
  std::vector<std::string> settingTexts;
  std::vector<EditorEvent> events;
  for (int i = 0; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "-h" || arg == "--help") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (arg.compare(0, 2, "--") != 0) return Usage("unexpected argument '" + arg + "'");
    std::string name = arg, value;
    const size_t equals = arg.find('=');
    if (equals != std::string::npos && arg.compare(0, 5, "--set") != 0) {
      name = arg.substr(0, equals);
      value = arg.substr(equals + 1);
    } else if (arg == "--set" || arg.compare(0, 6, "--set=") == 0) {
      name = "--set";
      value = arg.size() > 6 ? arg.substr(6) : "";
      if (arg == "--set") {
        if (i + 1 >= argc) return Usage("--set needs NAME=VALUE");
        value = argv[++i];
      }
    } else {
      if (i + 1 >= argc) return Usage(arg + " needs a value");
      value = argv[++i];
    }

    if (name == "--snapshot") {
      // Refused rather than read as no --snapshot, which would open a window instead.
      if (value.empty()) return Usage("--snapshot needs a file name ('-' for standard output)");
      snapshotPath = value;
    } else if (name == "--preset")
      presetPath = value;
    else if (name == "--component")
      componentPath = value;
    else if (name == "--display")
      displayName = value;
    else if (name == "--scale") {
      char* end = nullptr;
      scale = std::strtod(value.c_str(), &end);
      if (value.empty() || *end != '\0' || !(scale >= 1.0 && scale <= 3.0))
        return Usage("--scale wants a number from 1 to 3, not '" + value + "'");
    } else if (name == "--set") {
      if (!IsSettingForm(value)) return Usage("--set wants NAME=VALUE, not '" + value + "'");
      settingTexts.push_back(value);
    } else {
      EditorEvent event;
      event.kind = name.substr(2);
      bool ok = false;
      if (event.kind == "click" || event.kind == "double-click" || event.kind == "right-click")
        ok = ParseNumbers(value, 2, false, event, true);
      else if (event.kind == "drag")
        ok = ParseNumbers(value, 4, true, event, true);
      else if (event.kind == "wheel")
        ok = ParseNumbers(value, 3, false, event, false);
      else if (event.kind == "ticks")
        ok = ParseNumbers(value, 1, false, event, true) && event.numbers[0] >= 0 && event.numbers[0] <= 100000;
      else if (event.kind == "key") {
        event.key = value;
        ok = !value.empty();
      } else
        return Usage("unknown option '" + name + "'");
      if (!ok) return Usage("malformed value '" + value + "' for " + name);
      events.push_back(event);
    }
  }
  if (snapshotPath.empty() && !events.empty()) return Usage("events are replayed only with --snapshot OUT.png");

  std::string error;
  Component component = nullptr;
  if (!LoadEffectComponent(ResolveComponentPath(componentPath), component, error)) return Fail(error);
  ComponentHost host;
  if (OSStatus status = host.Open(component); status != noErr)
    return Fail("cannot open the component: " + DescribeStatus(status));

  if (!presetPath.empty()) {
    AUPresetContents preset;
    PresetCodec codec;
    if (!codec.LoadAsState(presetPath, preset, error)) return Fail(error);
    CFMutableDictionaryRef dictionary = AUPresetToDictionary(preset);
    if (!dictionary) return Fail("out of memory building the preset");
    const OSStatus status = host.RestoreClassInfo(dictionary);
    CFRelease(dictionary);
    if (status != noErr) return Fail("the component refused the preset: " + DescribeStatus(status));
  }
  for (const std::string& text : settingTexts) {
    Setting setting{};
    if (!ParseSetting(host, text, setting, error)) return Fail(error);
    if (OSStatus status = host.SetParameter(setting.id, setting.value); status != noErr)
      return Fail("cannot set " + text + ": " + DescribeStatus(status));
  }

  if (snapshotPath.empty()) {
    const auto print = [&host](AudioUnitParameterID id, AudioUnitParameterValue value) {
      PrintParameter(host, id, value);
    };
    if (!RunEditorWindow(host.Unit(), displayName, print, error, scale)) return Fail(error);
    return 0;
  }

  EditorHost editor;
  if (!editor.Open(host.Unit(), error, scale > 0.0 ? scale : 1.0)) return Fail(error);
  editor.Ticks(2); // the first repaint
  // Editor pixels to the view's: a point to the middle of its pixel block, and a drag from one such
  // point to another, so that it covers exactly the editor pixels asked for.
  const double factor = editor.Scale();
  const auto toInt = [](double v) { return static_cast<int>(std::max(-2e9, std::min(2e9, v))); };
  const auto point = [factor, toInt](double v) { return toInt(std::floor((v + 0.5) * factor)); };
  const auto length = [&point, toInt](double from, double by) { return toInt(1.0 * point(from + by) - point(from)); };
  for (const EditorEvent& event : events) {
    const auto n = [&event, &point](size_t i) { return point(event.numbers[i]); };
    if (event.kind == "click")
      editor.Click(n(0), n(1));
    else if (event.kind == "double-click")
      editor.DoubleClick(n(0), n(1));
    else if (event.kind == "right-click")
      editor.RightClick(n(0), n(1));
    else if (event.kind == "drag")
      editor.Drag(n(0), n(1), length(event.numbers[0], event.numbers[2]), length(event.numbers[1], event.numbers[3]),
                  event.shift ? static_cast<unsigned long>(NSShiftKeyMask) : 0ul);
    else if (event.kind == "wheel")
      editor.Wheel(n(0), n(1), event.numbers[2]);
    else if (event.kind == "ticks")
      editor.Ticks(static_cast<int>(event.numbers[0]));
    else if (event.kind == "key" && !editor.Key(event.key, error))
      return Usage(error);
    editor.Ticks(1);
  }
  editor.Ticks(2); // let the timer pick up whatever the last event left stale

  Raster_MemBitmap picture;
  if (!editor.Snapshot(picture)) return Fail("the editor window shows nothing");
  if (!WritePngFile(&picture, snapshotPath, error)) return Fail(error);
  editor.Close();
  // A picture on standard output is the whole of it there; the lines go beside it, to standard error.
  PrintParameters(host, WritesToStandardOutput(snapshotPath) ? stderr : stdout);
  return 0;
}
