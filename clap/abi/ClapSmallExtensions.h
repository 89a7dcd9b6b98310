// ClapSmallExtensions.h: the one- and two-function extensions: "clap.latency", "clap.tail",
// "clap.render" on the plug-in's side, and the host's "clap.thread-check" and "clap.log".
#pragma once

#include "clap/abi/ClapPlugin.h"

extern "C" {

constexpr const char CLAP_EXT_LATENCY[] = "clap.latency";
typedef struct clap_plugin_latency
{
  uint32_t (*get)(const clap_plugin_t* plugin); // frames; main thread, while active
} clap_plugin_latency_t;
typedef struct clap_host_latency
{
  void (*changed)(const clap_host_t* host);
} clap_host_latency_t;

constexpr const char CLAP_EXT_TAIL[] = "clap.tail";
typedef struct clap_plugin_tail
{
  uint32_t (*get)(const clap_plugin_t* plugin); // frames; UINT32_MAX: endless
} clap_plugin_tail_t;

constexpr const char CLAP_EXT_RENDER[] = "clap.render";
typedef int32_t clap_plugin_render_mode;
enum {
  CLAP_RENDER_REALTIME = 0,
  CLAP_RENDER_OFFLINE = 1,
};
typedef struct clap_plugin_render
{
  bool (*has_hard_realtime_requirement)(const clap_plugin_t* plugin);
  bool (*set)(const clap_plugin_t* plugin, clap_plugin_render_mode mode);
} clap_plugin_render_t;

constexpr const char CLAP_EXT_THREAD_CHECK[] = "clap.thread-check";
typedef struct clap_host_thread_check
{
  bool (*is_main_thread)(const clap_host_t* host);
  bool (*is_audio_thread)(const clap_host_t* host);
} clap_host_thread_check_t;

constexpr const char CLAP_EXT_LOG[] = "clap.log";
typedef int32_t clap_log_severity;
enum {
  CLAP_LOG_DEBUG = 0,
  CLAP_LOG_INFO = 1,
  CLAP_LOG_WARNING = 2,
  CLAP_LOG_ERROR = 3,
  CLAP_LOG_FATAL = 4,
  CLAP_LOG_HOST_MISBEHAVING = 5,
  CLAP_LOG_PLUGIN_MISBEHAVING = 6,
};
typedef struct clap_host_log
{
  void (*log)(const clap_host_t* host, clap_log_severity severity, const char* msg); // any thread
} clap_host_log_t;

} // extern "C"

static_assert(sizeof(clap_plugin_latency_t) == 8 && sizeof(clap_plugin_tail_t) == 8, "one-function tables");
static_assert(sizeof(clap_plugin_render_t) == 16 && sizeof(clap_host_thread_check_t) == 16, "two-function tables");
static_assert(sizeof(clap_host_log_t) == 8, "log table");
