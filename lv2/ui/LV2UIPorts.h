#pragma once
// LV2UIPorts: where a plug-in variant's ports are, seen from its UI.
//
// A product's LV2 bundle offers one plug-in per channel configuration of its channel-IO string
// ("1-1 2-2": a mono and a stereo variant), all sharing one UI. Each variant's URI is the product's
// URI with the variant's name after one separator ('#', '/', ':', '-' or '_'): "mono" for 1-1,
// "stereo" for 2-2, "<in>-<out>" otherwise (urn:tallowby:brindle#stereo). The bare product URI
// names the first configuration. Ports come in this order: the audio inputs, the audio outputs,
// one control input per parameter in parameter order, then the latency output.

#include <cstdint>
#include <string>

struct LV2UIPortLayout
{
  int mInputs = 0;
  int mOutputs = 0;
  uint32_t mFirstControlPort = 0;
  uint32_t mLatencyPort = 0;
};

// The name of the variant for one channel configuration ("mono", "stereo", "4-2").
std::string LV2VariantName(int inputs, int outputs);

// The layout of the variant pluginURI names, or false (out untouched) when it is none of the
// product's variants: another URI, a configuration the channel-IO string does not list, or a
// channel-IO string without a usable configuration.
bool LV2UIPortLayoutFor(const char* pluginURI, const char* productURI, const char* channelIO, int nParams,
                        LV2UIPortLayout* out);
