// ClapEvents.h: CLAP's event records (the header every event starts with, parameter value and gesture
// events) and the two event lists a host hands over: the input list read by index and the output list
// the plug-in pushes into. Events of one list are ordered by their frame (`time`).
#pragma once

#include "clap/abi/ClapCore.h"

extern "C" {

typedef struct clap_event_header
{
  uint32_t size;     // of the whole event, header included
  uint32_t time;     // frame within the block
  uint16_t space_id; // CLAP_CORE_EVENT_SPACE_ID for the types below
  uint16_t type;
  uint32_t flags;
} clap_event_header_t;

constexpr uint16_t CLAP_CORE_EVENT_SPACE_ID = 0;

enum {
  CLAP_EVENT_IS_LIVE = 1 << 0,
  CLAP_EVENT_DONT_RECORD = 1 << 1,
};

enum {
  CLAP_EVENT_NOTE_ON = 0,
  CLAP_EVENT_NOTE_OFF = 1,
  CLAP_EVENT_PARAM_VALUE = 5,
  CLAP_EVENT_PARAM_MOD = 6,
  CLAP_EVENT_PARAM_GESTURE_BEGIN = 7,
  CLAP_EVENT_PARAM_GESTURE_END = 8,
  CLAP_EVENT_TRANSPORT = 9,
  CLAP_EVENT_MIDI = 10,
};

typedef struct clap_event_param_value
{
  clap_event_header_t header;
  clap_id param_id;
  void* cookie;
  int32_t note_id; // -1: every note
  int16_t port_index;
  int16_t channel;
  int16_t key;
  double value; // plain value, in the parameter's own range
} clap_event_param_value_t;

typedef struct clap_event_param_gesture
{
  clap_event_header_t header;
  clap_id param_id;
} clap_event_param_gesture_t;

typedef struct clap_input_events
{
  void* ctx;
  uint32_t (*size)(const struct clap_input_events* list);
  const clap_event_header_t* (*get)(const struct clap_input_events* list, uint32_t index);
} clap_input_events_t;

typedef struct clap_output_events
{
  void* ctx;
  // False when the host has no room; the event is then lost.
  bool (*try_push)(const struct clap_output_events* list, const clap_event_header_t* event);
} clap_output_events_t;

} // extern "C"

static_assert(sizeof(clap_event_header_t) == 16, "event header layout");
static_assert(offsetof(clap_event_header_t, time) == 4 && offsetof(clap_event_header_t, space_id) == 8 &&
                  offsetof(clap_event_header_t, type) == 10 && offsetof(clap_event_header_t, flags) == 12,
              "event header fields");
static_assert(offsetof(clap_event_param_value_t, param_id) == 16 && offsetof(clap_event_param_value_t, cookie) == 24 &&
                  offsetof(clap_event_param_value_t, note_id) == 32 && offsetof(clap_event_param_value_t, key) == 40 &&
                  offsetof(clap_event_param_value_t, value) == 48,
              "parameter value event fields");
static_assert(sizeof(clap_event_param_value_t) == 56, "parameter value event size");
static_assert(sizeof(clap_event_param_gesture_t) == 20, "gesture event size");
static_assert(sizeof(clap_input_events_t) == 24 && sizeof(clap_output_events_t) == 16, "event lists");
