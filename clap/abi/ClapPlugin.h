// ClapPlugin.h: the records that make up a CLAP module: the host record the host passes in, the
// plug-in record (a table of functions, each taking the record itself), its descriptor, the plug-in
// factory, and the module's one exported symbol, `clap_entry`.
//
// Threads, as the ABI assigns them: init, destroy, activate, deactivate, get_extension and
// on_main_thread on the main thread; start_processing, stop_processing, reset and process on the
// audio thread, only while active. The factory and the entry are called on the main thread.
#pragma once

#include "clap/abi/ClapProcess.h"

extern "C" {

typedef struct clap_plugin_descriptor
{
  clap_version_t clap_version;
  const char* id; // reverse-domain, stable forever
  const char* name;
  const char* vendor;
  const char* url;
  const char* manual_url;
  const char* support_url;
  const char* version;
  const char* description;
  const char* const* features; // null-terminated list
} clap_plugin_descriptor_t;

typedef struct clap_host
{
  clap_version_t clap_version;
  void* host_data;
  const char* name;
  const char* vendor;
  const char* url;
  const char* version;
  const void* (*get_extension)(const struct clap_host* host, const char* extension_id);
  void (*request_restart)(const struct clap_host* host);
  void (*request_process)(const struct clap_host* host);
  void (*request_callback)(const struct clap_host* host); // on_main_thread follows
} clap_host_t;

typedef struct clap_plugin
{
  const clap_plugin_descriptor_t* desc;
  void* plugin_data;
  bool (*init)(const struct clap_plugin* plugin);
  void (*destroy)(const struct clap_plugin* plugin);
  bool (*activate)(const struct clap_plugin* plugin, double sample_rate, uint32_t min_frames_count,
                   uint32_t max_frames_count);
  void (*deactivate)(const struct clap_plugin* plugin);
  bool (*start_processing)(const struct clap_plugin* plugin);
  void (*stop_processing)(const struct clap_plugin* plugin);
  void (*reset)(const struct clap_plugin* plugin);
  clap_process_status (*process)(const struct clap_plugin* plugin, const clap_process_t* process);
  const void* (*get_extension)(const struct clap_plugin* plugin, const char* id);
  void (*on_main_thread)(const struct clap_plugin* plugin);
} clap_plugin_t;

constexpr const char CLAP_PLUGIN_FACTORY_ID[] = "clap.plugin-factory";

typedef struct clap_plugin_factory
{
  uint32_t (*get_plugin_count)(const struct clap_plugin_factory* factory);
  const clap_plugin_descriptor_t* (*get_plugin_descriptor)(const struct clap_plugin_factory* factory, uint32_t index);
  const clap_plugin_t* (*create_plugin)(const struct clap_plugin_factory* factory, const clap_host_t* host,
                                        const char* plugin_id);
} clap_plugin_factory_t;

typedef struct clap_plugin_entry
{
  clap_version_t clap_version;
  bool (*init)(const char* plugin_path); // the module's own path
  void (*deinit)(void);
  const void* (*get_factory)(const char* factory_id);
} clap_plugin_entry_t;

// Feature words a descriptor lists.
constexpr const char CLAP_PLUGIN_FEATURE_AUDIO_EFFECT[] = "audio-effect";
constexpr const char CLAP_PLUGIN_FEATURE_DISTORTION[] = "distortion";
constexpr const char CLAP_PLUGIN_FEATURE_UTILITY[] = "utility";
constexpr const char CLAP_PLUGIN_FEATURE_MONO[] = "mono";
constexpr const char CLAP_PLUGIN_FEATURE_STEREO[] = "stereo";

} // extern "C"

static_assert(sizeof(clap_plugin_descriptor_t) == 88 && offsetof(clap_plugin_descriptor_t, id) == 16 &&
                  offsetof(clap_plugin_descriptor_t, version) == 64 &&
                  offsetof(clap_plugin_descriptor_t, features) == 80,
              "descriptor layout");
static_assert(sizeof(clap_host_t) == 88 && offsetof(clap_host_t, host_data) == 16 &&
                  offsetof(clap_host_t, get_extension) == 56 && offsetof(clap_host_t, request_callback) == 80,
              "host record layout");
static_assert(sizeof(clap_plugin_t) == 96 && offsetof(clap_plugin_t, init) == 16 &&
                  offsetof(clap_plugin_t, process) == 72 && offsetof(clap_plugin_t, on_main_thread) == 88,
              "plug-in record layout");
static_assert(sizeof(clap_plugin_factory_t) == 24, "factory layout");
static_assert(sizeof(clap_plugin_entry_t) == 40 && offsetof(clap_plugin_entry_t, init) == 16 &&
                  offsetof(clap_plugin_entry_t, get_factory) == 32,
              "entry layout");
