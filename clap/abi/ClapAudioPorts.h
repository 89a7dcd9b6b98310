// ClapAudioPorts.h: the "clap.audio-ports" extension: the plug-in's input and output ports, each with
// a fixed channel count for as long as the instance lives (ours never change).
#pragma once

#include "clap/abi/ClapPlugin.h"

extern "C" {

constexpr const char CLAP_EXT_AUDIO_PORTS[] = "clap.audio-ports";
constexpr const char CLAP_PORT_MONO[] = "mono";
constexpr const char CLAP_PORT_STEREO[] = "stereo";

enum {
  CLAP_AUDIO_PORT_IS_MAIN = 1 << 0,
  CLAP_AUDIO_PORT_SUPPORTS_64BITS = 1 << 1,
  CLAP_AUDIO_PORT_PREFERS_64BITS = 1 << 2,
  CLAP_AUDIO_PORT_REQUIRES_COMMON_SAMPLE_SIZE = 1 << 3,
};

typedef struct clap_audio_port_info
{
  clap_id id;
  char name[CLAP_NAME_SIZE];
  uint32_t flags;
  uint32_t channel_count;
  const char* port_type; // CLAP_PORT_MONO, CLAP_PORT_STEREO, or null when neither
  clap_id in_place_pair; // CLAP_INVALID_ID: none
} clap_audio_port_info_t;

typedef struct clap_plugin_audio_ports
{
  uint32_t (*count)(const clap_plugin_t* plugin, bool is_input);
  bool (*get)(const clap_plugin_t* plugin, uint32_t index, bool is_input, clap_audio_port_info_t* info);
} clap_plugin_audio_ports_t;

} // extern "C"

static_assert(offsetof(clap_audio_port_info_t, name) == 4 && offsetof(clap_audio_port_info_t, flags) == 260 &&
                  offsetof(clap_audio_port_info_t, channel_count) == 264 &&
                  offsetof(clap_audio_port_info_t, port_type) == 272 &&
                  offsetof(clap_audio_port_info_t, in_place_pair) == 280,
              "audio port info layout");
static_assert(sizeof(clap_audio_port_info_t) == 288, "audio port info size");
