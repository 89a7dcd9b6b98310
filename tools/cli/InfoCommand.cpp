// `brindle info`: what a host learns about the component before using it.
#include "tools/cli/CommandLine.h"
#include "tools/cli/Commands.h"

#include "tools/host/ComponentHost.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

const char kUsage[] = "usage: brindle info [options]\n"
                      "\n"
                      "Opens the Brindle component and prints its identity, its parameters (name, unit, range,\n"
                      "current value and its text, value strings), channel configurations, latency, tail time and\n"
                      "factory presets.\n"
                      "\n"
                      "options:\n"
                      "  --component PATH   the Brindle.component bundle (default: $BRINDLE_COMPONENT, else the one\n"
                      "                     beside this program, else the installed one)\n"
                      "  -h, --help         this text\n";

int Fail(const std::string& message)
{
  return CommandFailure("info", message);
}

std::string UnitText(const AudioUnitParameterInfo& info)
{
  switch (info.unit) {
  case kAudioUnitParameterUnit_Generic:
    return "generic";
  case kAudioUnitParameterUnit_Indexed:
    return "indexed";
  case kAudioUnitParameterUnit_Boolean:
    return "boolean";
  case kAudioUnitParameterUnit_Percent:
    return "percent";
  case kAudioUnitParameterUnit_Seconds:
    return "seconds";
  case kAudioUnitParameterUnit_Hertz:
    return "hertz";
  case kAudioUnitParameterUnit_Decibels:
    return "decibels";
  case kAudioUnitParameterUnit_LinearGain:
    return "linear gain";
  case kAudioUnitParameterUnit_Milliseconds:
    return "milliseconds";
  case kAudioUnitParameterUnit_CustomUnit:
    return "\"" + StringFromCF(info.unitName) + "\"";
  default:
    return "unit " + std::to_string(info.unit);
  }
}

std::string VersionText(UInt32 word)
{
  char text[64];
  std::snprintf(text, sizeof text, "%u.%u.%u (0x%08X)", word >> 16, (word >> 8) & 0xFF, word & 0xFF, word);
  return text;
}

std::string Number(double value)
{
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

void PrintParameter(ComponentHost& host, AudioUnitParameterID id)
{
  AudioUnitParameterInfo info{};
  const OSStatus status = host.Get(kAudioUnitProperty_ParameterInfo, kAudioUnitScope_Global, id, info);
  if (status != noErr) {
    std::printf("  %u: no information (%s)\n", id, DescribeStatus(status).c_str());
    return;
  }
  const std::string name = info.cfNameString ? StringFromCF(info.cfNameString) : std::string(info.name);
  AudioUnitParameterValue value = 0.0f;
  host.GetParameter(id, value);
  std::string text;
  host.ValueText(id, value, text);
  std::printf("  %u \"%s\": %s, range %s to %s, value %s \"%s\"%s\n", id, name.c_str(), UnitText(info).c_str(),
              Number(info.minValue).c_str(), Number(info.maxValue).c_str(), Number(value).c_str(), text.c_str(),
              (info.flags & kAudioUnitParameterFlag_IsWritable) ? "" : ", read-only");
  std::vector<std::string> strings;
  if (host.ValueStrings(id, strings) == noErr && !strings.empty()) {
    std::string list;
    for (const std::string& s : strings) list += (list.empty() ? "\"" : ", \"") + s + "\"";
    std::printf("      values: %s\n", list.c_str());
  }
  ReleaseParameterInfoNames(info);
}

} // namespace

int RunInfoCommand(int argc, char** argv)
{
  std::string componentPath;
  for (int i = 0; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "-h" || arg == "--help") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (arg == "--component") {
      if (i + 1 >= argc) return CommandUsageError("info", "--component needs a value");
      componentPath = argv[++i];
    } else if (arg.compare(0, 12, "--component=") == 0) {
      componentPath = arg.substr(12);
    } else if (arg.size() > 1 && arg[0] == '-') {
      return CommandUsageError("info", "unknown option '" + arg + "'");
    } else {
      return CommandUsageError("info", "unexpected argument '" + arg + "'");
    }
  }
  const std::string bundlePath = ResolveComponentPath(componentPath);
  Component component = nullptr;
  std::string error, name;
  if (!LoadBrindleComponent(bundlePath, component, error, &name)) return Fail(error);
  ComponentHost host;
  const OSStatus status = host.Open(component);
  if (status != noErr) return Fail("cannot open the component: " + DescribeStatus(status));

  ComponentDescription description{};
  GetComponentInfo(reinterpret_cast<Component>(host.Unit()), &description, nullptr, nullptr, nullptr);
  const UInt32 version = static_cast<UInt32>(GetComponentVersion(host.Unit()));
  std::printf("%s\n", name.c_str());
  std::printf("  component: %s/%s/%s (type/subtype/manufacturer)\n", FourCharText(description.componentType).c_str(),
              FourCharText(description.componentSubType).c_str(),
              FourCharText(description.componentManufacturer).c_str());
  std::printf("  version: %s\n", VersionText(version).c_str());
  std::printf("  bundle: %s\n", bundlePath.c_str());

  std::vector<AudioUnitParameterID> ids;
  host.ParameterList(ids);
  std::printf("parameters: %zu\n", ids.size());
  for (AudioUnitParameterID id : ids) PrintParameter(host, id);

  std::vector<AUChannelInfo> configs;
  host.ChannelConfigurations(configs);
  std::string list;
  for (const AUChannelInfo& c : configs)
    list += (list.empty() ? "" : " ") + std::to_string(c.inChannels) + "-" + std::to_string(c.outChannels);
  std::printf("channel configurations: %s\n", list.empty() ? "(none reported)" : list.c_str());

  Float64 latency = 0.0, tail = 0.0;
  const OSStatus latencyStatus = host.Get(kAudioUnitProperty_Latency, kAudioUnitScope_Global, 0, latency);
  const OSStatus tailStatus = host.Get(kAudioUnitProperty_TailTime, kAudioUnitScope_Global, 0, tail);
  std::printf("latency: %s\n",
              latencyStatus == noErr ? (Number(latency) + " s").c_str() : DescribeStatus(latencyStatus).c_str());
  std::printf("tail time: %s\n",
              tailStatus == noErr ? (Number(tail) + " s").c_str() : DescribeStatus(tailStatus).c_str());

  std::vector<std::pair<int, std::string>> presets;
  host.FactoryPresets(presets);
  std::printf("factory presets: %zu\n", presets.size());
  for (const auto& [number, presetName] : presets) std::printf("  %d \"%s\"\n", number, presetName.c_str());
  return 0;
}
