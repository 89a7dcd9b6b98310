#include "lv2/ui/LV2UIPorts.h"

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

struct Configuration
{
  int mIn, mOut;
};

// The "in-out" pairs of a channel-IO string; pairs that are not two counts of 0..1024 are skipped.
std::vector<Configuration> Configurations(const char* channelIO)
{
  std::vector<Configuration> list;
  const char* p = channelIO ? channelIO : "";
  while (*p) {
    while (*p == ' ') ++p;
    if (!*p) break;
    char* end = nullptr;
    const long in = std::strtol(p, &end, 10);
    bool ok = end != p && *end == '-';
    long out = -1;
    if (ok) {
      const char* q = end + 1;
      out = std::strtol(q, &end, 10);
      ok = end != q && (*end == ' ' || *end == '\0');
    }
    if (ok && in >= 0 && out >= 0 && in <= 1024 && out <= 1024)
      list.push_back({static_cast<int>(in), static_cast<int>(out)});
    while (*end && *end != ' ') ++end;
    p = end;
  }
  return list;
}

} // namespace

std::string LV2VariantName(int inputs, int outputs)
{
  if (inputs == 1 && outputs == 1) return "mono";
  if (inputs == 2 && outputs == 2) return "stereo";
  return std::to_string(inputs) + "-" + std::to_string(outputs);
}

bool LV2UIPortLayoutFor(const char* pluginURI, const char* productURI, const char* channelIO, int nParams,
                        LV2UIPortLayout* out)
{
  if (!pluginURI || !productURI || !out || nParams < 0) return false;
  const size_t baseLength = std::strlen(productURI);
  if (baseLength == 0 || std::strncmp(pluginURI, productURI, baseLength) != 0) return false;
  const std::vector<Configuration> configurations = Configurations(channelIO);
  if (configurations.empty()) return false;

  const char* suffix = pluginURI + baseLength;
  const Configuration* chosen = nullptr;
  if (*suffix == '\0') {
    chosen = &configurations.front();
  } else if (std::strchr("#/:-_", *suffix)) {
    for (const Configuration& c : configurations)
      if (LV2VariantName(c.mIn, c.mOut) == suffix + 1) chosen = &c;
  }
  if (!chosen) return false;
  out->mInputs = chosen->mIn;
  out->mOutputs = chosen->mOut;
  out->mFirstControlPort = static_cast<uint32_t>(chosen->mIn + chosen->mOut);
  out->mLatencyPort = out->mFirstControlPort + static_cast<uint32_t>(nParams);
  return true;
}
