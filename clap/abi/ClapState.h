// ClapState.h: the "clap.state" extension and the byte streams it reads and writes. A stream may move
// fewer bytes than asked in one call: read returns the count (0 at the end, negative on error), and
// so does write.
#pragma once

#include "clap/abi/ClapPlugin.h"

extern "C" {

typedef struct clap_istream
{
  void* ctx;
  int64_t (*read)(const struct clap_istream* stream, void* buffer, uint64_t size);
} clap_istream_t;

typedef struct clap_ostream
{
  void* ctx;
  int64_t (*write)(const struct clap_ostream* stream, const void* buffer, uint64_t size);
} clap_ostream_t;

constexpr const char CLAP_EXT_STATE[] = "clap.state";

typedef struct clap_plugin_state
{
  bool (*save)(const clap_plugin_t* plugin, const clap_ostream_t* stream);
  bool (*load)(const clap_plugin_t* plugin, const clap_istream_t* stream);
} clap_plugin_state_t;

typedef struct clap_host_state
{
  // The plug-in's state changed in a way the host did not cause (its editor); main thread.
  void (*mark_dirty)(const clap_host_t* host);
} clap_host_state_t;

} // extern "C"

static_assert(sizeof(clap_istream_t) == 16 && sizeof(clap_ostream_t) == 16, "stream records");
static_assert(sizeof(clap_plugin_state_t) == 16 && sizeof(clap_host_state_t) == 8, "state tables");
