#pragma once
// LV2PortLayout: how a plug-in object appears as LV2 plug-ins, shared by the adapter (which
// port index is what) and the bundle's description writer (what to call it).
//
// Each pair of the channel-IO string is one variant, an LV2 plug-in of its own whose URI is the
// product's base URI with a fragment naming the channels ("#mono" for 1-1, "#stereo" for 2-2,
// "#3in4out" otherwise). Pairs with a wildcard (negative) count have no fixed port list and are
// left out. Port symbols are derived from the names once, so that every variant and every
// saved session names the parameters alike.
#include <cstdint>
#include <string>
#include <vector>

class IEffectBase;
class IParam;

struct LV2Variant
{
  int mChannelIOIdx; // pair index in the channel-IO list
  int mIn;
  int mOut;
  std::string mFragment; // "mono", "stereo", "3in4out"
};

// The variants of a channel-IO string ("1-1 2-2"), read as IEffectBase reads it, in its order,
// without repeats.
std::vector<LV2Variant> LV2Variants(const char* channelIO);
// baseURI + "#" + fragment.
std::string LV2VariantURI(const std::string& baseURI, const LV2Variant& variant);

// A port symbol made from a name: lower case letters, digits and '_', not starting with a digit,
// never empty.
std::string LV2Symbol(const char* name);

// A switch: a bool parameter, or an int or enum one whose range is exactly 0 to 1. Its port is
// lv2:toggled, so any value above 0 means on.
bool LV2IsToggle(const IParam& param);
// The value a control port's reading gives the parameter: switches on or off, whole numbers
// rounded to the nearest, everything clamped into the parameter's range. NaN is not a reading.
double LV2ParamValueFromPort(const IParam& param, float portValue);

class LV2PortLayout
{
public:
  enum EPortKind { kAudioIn, kAudioOut, kControlIn, kLatencyOut, kNoPort };

  LV2PortLayout() = default;
  // The parameters' symbols are made unique by appending _2, _3 ... to repeats.
  LV2PortLayout(const IEffectBase& plug, int nIn, int nOut);

  int NIn() const { return mNIn; }
  int NOut() const { return mNOut; }
  int NParams() const { return static_cast<int>(mParamSymbols.size()); }
  uint32_t NPorts() const { return static_cast<uint32_t>(mNIn + mNOut + NParams() + 1); }
  uint32_t FirstControlPort() const { return static_cast<uint32_t>(mNIn + mNOut); }
  uint32_t LatencyPort() const { return NPorts() - 1; }

  // What port index `port` is, and its channel or parameter index in *idx.
  EPortKind Kind(uint32_t port, int* idx) const;
  // "in"/"out" for one channel, "in_l"/"in_r" for two, "in_1" ... otherwise; the parameter's
  // symbol; "latency".
  std::string Symbol(uint32_t port) const;
  // The name a host shows: "In", "In L", "In 3", the parameter's name, "Latency".
  std::string Name(uint32_t port, const IEffectBase& plug) const;

private:
  int mNIn = 0;
  int mNOut = 0;
  std::vector<std::string> mParamSymbols;
};
