// ClapProcess.h: what one process call receives: the block's frame count, the audio ports' buffers
// (one clap_audio_buffer per port, in port order) and the event lists; and what it answers.
#pragma once

#include "clap/abi/ClapEvents.h"

extern "C" {

typedef struct clap_audio_buffer
{
  float** data32;  // one pointer per channel, or null when the host uses data64
  double** data64; // one pointer per channel, or null when the host uses data32
  uint32_t channel_count;
  uint32_t latency;
  uint64_t constant_mask; // bit n: channel n holds one value throughout
} clap_audio_buffer_t;

typedef int32_t clap_process_status;
enum {
  CLAP_PROCESS_ERROR = 0,
  CLAP_PROCESS_CONTINUE = 1,
  CLAP_PROCESS_CONTINUE_IF_NOT_QUIET = 2,
  CLAP_PROCESS_TAIL = 3,
  CLAP_PROCESS_SLEEP = 4,
};

struct clap_event_transport; // not read by our plug-ins

typedef struct clap_process
{
  int64_t steady_time; // frames since some start, -1 when not known
  uint32_t frames_count;
  const struct clap_event_transport* transport;
  const clap_audio_buffer_t* audio_inputs;
  clap_audio_buffer_t* audio_outputs;
  uint32_t audio_inputs_count;
  uint32_t audio_outputs_count;
  const clap_input_events_t* in_events;
  const clap_output_events_t* out_events;
} clap_process_t;

} // extern "C"

static_assert(sizeof(clap_audio_buffer_t) == 32 && offsetof(clap_audio_buffer_t, channel_count) == 16 &&
                  offsetof(clap_audio_buffer_t, constant_mask) == 24,
              "audio buffer layout");
static_assert(sizeof(clap_process_t) == 64 && offsetof(clap_process_t, frames_count) == 8 &&
                  offsetof(clap_process_t, audio_inputs) == 24 && offsetof(clap_process_t, audio_inputs_count) == 40 &&
                  offsetof(clap_process_t, in_events) == 48 && offsetof(clap_process_t, out_events) == 56,
              "process record layout");
