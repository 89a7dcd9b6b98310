#include "plugcore/HostInfo.h"

#include <cstring>

#include "containers/Core_CopyText.h"

namespace {
struct HostKey
{
  const char* key;
  EHost host;
};

// Tested in this order; the first key found in the lower-cased name wins.
constexpr HostKey kHostKeys[] = {
    {"cubase", kHostCubase},
    {"reaper", kHostReaper},
    {"nuendo", kHostNuendo},
    {"cakewalk", kHostSonar},
    {"samplitude", kHostSamplitude},
    {"fruity", kHostFL},
    {"live", kHostAbletonLive},
    {"melodyne", kHostMelodyneStudio},
    {"vstmanlib", kHostVSTScanner},
    {"aulab", kHostAULab},
    {"garageband", kHostGarageBand},
    {"forte", kHostForte},
    {"chainer", kHostChainer},
    {"audition", kHostAudition},
    {"orion", kHostOrion},
    {"sawstudio", kHostSAWStudio},
    {"logic", kHostLogic},
    {"digital", kHostDigitalPerformer},
    {"audiomulch", kHostAudioMulch},
    {"presonus", kHostStudioOne},
    {"vst3plugintesthost", kHostVST3TestHost},
    {"protools", kHostProTools},
    {"ardour", kHostArdour},
    {"standalone", kHostStandalone},
};

const char* HostDisplayName(EHost host)
{
  switch (host) {
  case kHostReaper:
    return "Reaper";
  case kHostProTools:
    return "ProTools";
  case kHostCubase:
    return "Cubase";
  case kHostNuendo:
    return "Nuendo";
  case kHostSonar:
    return "Sonar";
  case kHostVegas:
    return "Vegas";
  case kHostFL:
    return "FLStudio";
  case kHostSamplitude:
    return "Samplitude";
  case kHostAbletonLive:
    return "Live";
  case kHostVSTScanner:
    return "VSTScanner";
  case kHostAULab:
    return "AULab";
  case kHostForte:
    return "Forte";
  case kHostChainer:
    return "Chainer";
  case kHostAudition:
    return "Audition";
  case kHostOrion:
    return "Orion";
  case kHostSAWStudio:
    return "SAWStudio";
  case kHostLogic:
    return "Logic";
  case kHostGarageBand:
    return "GarageBand";
  case kHostDigitalPerformer:
    return "DigitalPerformer";
  case kHostStandalone:
    return "Standalone";
  case kHostAudioMulch:
    return "AudioMulch";
  case kHostStudioOne:
    return "StudioOne";
  case kHostVST3TestHost:
    return "VST3PluginTestHost";
  case kHostArdour:
    return "Ardour";
  default:
    return "Unknown";
  }
}
} // namespace

bool IsWhitespace(char c)
{
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

void ToLower(char* out, const char* in)
{
  if (!out) return;
  if (!in) in = "";
  while (*in) {
    const char c = *in++;
    *out++ = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  }
  *out = '\0';
}

EHost LookUpHost(const char* name)
{
  if (!name) return kHostUnknown;
  // Names that do not fit the buffer are cut before lower-casing.
  char cut[kHostLookupBufSize];
  Core_CopyText(cut, name, kHostLookupBufSize);
  char lower[kHostLookupBufSize];
  ToLower(lower, cut);
  for (const HostKey& entry : kHostKeys)
    if (std::strstr(lower, entry.key)) return entry.host;
  return kHostUnknown;
}

void GetHostNameStr(EHost host, char* out)
{
  if (!out) return;
  const char* name = HostDisplayName(host);
  std::memcpy(out, name, std::strlen(name) + 1);
}

const char* GetAPIStr(int api)
{
  switch (api) {
  case kAPIVST2:
    return "VST2";
  case kAPIVST3:
    return "VST3";
  case kAPIAU:
    return "AU";
  case kAPIRTAS:
    return "RTAS";
  case kAPIAAX:
    return "AAX";
  case kAPISA:
    return "Standalone";
  default:
    return "";
  }
}
