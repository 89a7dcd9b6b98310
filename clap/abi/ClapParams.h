// ClapParams.h: the "clap.params" extension. Values are plain (the parameter's own units, between
// min_value and max_value); a parameter is known to the host by its id, which must never change
// between versions of the plug-in, since sessions and automation store it.
#pragma once

#include "clap/abi/ClapPlugin.h"

extern "C" {

constexpr const char CLAP_EXT_PARAMS[] = "clap.params";

typedef uint32_t clap_param_info_flags;
enum {
  CLAP_PARAM_IS_STEPPED = 1 << 0, // whole numbers only
  CLAP_PARAM_IS_PERIODIC = 1 << 1,
  CLAP_PARAM_IS_HIDDEN = 1 << 2,
  CLAP_PARAM_IS_READONLY = 1 << 3,
  CLAP_PARAM_IS_BYPASS = 1 << 4,
  CLAP_PARAM_IS_AUTOMATABLE = 1 << 5,
  CLAP_PARAM_IS_MODULATABLE = 1 << 10,
  CLAP_PARAM_REQUIRES_PROCESS = 1 << 15,
  CLAP_PARAM_IS_ENUM = 1 << 16, // stepped, and every step has a text
};

typedef struct clap_param_info
{
  clap_id id;
  clap_param_info_flags flags;
  void* cookie; // echoed in the host's events; ours is always null
  char name[CLAP_NAME_SIZE];
  char module[CLAP_PATH_SIZE];
  double min_value;
  double max_value;
  double default_value;
} clap_param_info_t;

typedef struct clap_plugin_params
{
  uint32_t (*count)(const clap_plugin_t* plugin);
  bool (*get_info)(const clap_plugin_t* plugin, uint32_t param_index, clap_param_info_t* param_info);
  bool (*get_value)(const clap_plugin_t* plugin, clap_id param_id, double* out_value);
  bool (*value_to_text)(const clap_plugin_t* plugin, clap_id param_id, double value, char* out_buffer,
                        uint32_t out_buffer_capacity);
  bool (*text_to_value)(const clap_plugin_t* plugin, clap_id param_id, const char* param_value_text, double* out_value);
  // Events outside process: on the main thread while inactive, on the audio thread while active.
  void (*flush)(const clap_plugin_t* plugin, const clap_input_events_t* in, const clap_output_events_t* out);
} clap_plugin_params_t;

typedef uint32_t clap_param_rescan_flags;
enum {
  CLAP_PARAM_RESCAN_VALUES = 1 << 0,
  CLAP_PARAM_RESCAN_TEXT = 1 << 1,
  CLAP_PARAM_RESCAN_INFO = 1 << 2,
  CLAP_PARAM_RESCAN_ALL = 1 << 3,
};
typedef uint32_t clap_param_clear_flags;

typedef struct clap_host_params
{
  void (*rescan)(const clap_host_t* host, clap_param_rescan_flags flags);
  void (*clear)(const clap_host_t* host, clap_id param_id, clap_param_clear_flags flags);
  // Asks for a flush (or a process call) soon; any thread.
  void (*request_flush)(const clap_host_t* host);
} clap_host_params_t;

} // extern "C"

static_assert(offsetof(clap_param_info_t, flags) == 4 && offsetof(clap_param_info_t, cookie) == 8 &&
                  offsetof(clap_param_info_t, name) == 16 && offsetof(clap_param_info_t, module) == 272 &&
                  offsetof(clap_param_info_t, min_value) == 1296 && offsetof(clap_param_info_t, default_value) == 1312,
              "parameter info layout");
static_assert(sizeof(clap_param_info_t) == 1320, "parameter info size");
static_assert(sizeof(clap_plugin_params_t) == 48 && sizeof(clap_host_params_t) == 24, "params tables");
