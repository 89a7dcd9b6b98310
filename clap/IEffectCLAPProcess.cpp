// IEffectCLAP: the audio path. Nothing here allocates, locks or does I/O; parameter events go to
// ApplyParamValue (IEffectCLAPParams.cpp), which takes the product's lock as its OnParamChange does.
#include "clap/IEffectCLAP.h"

#include <algorithm>

#include "plugcore/AudioPath.h"

namespace {

// Outputs that can be written safely are silenced when a block is refused.
BRINDLE_AUDIO_PATH void SilenceOutputs(const clap_process_t* process)
{
  if (!process || !process->audio_outputs) return;
  for (uint32_t p = 0; p < process->audio_outputs_count; ++p) {
    const clap_audio_buffer_t& port = process->audio_outputs[p];
    if (!port.data32) continue;
    for (uint32_t c = 0; c < port.channel_count; ++c)
      if (port.data32[c]) std::fill(port.data32[c], port.data32[c] + process->frames_count, 0.0f);
  }
}

} // namespace

BRINDLE_AUDIO_PATH bool IEffectCLAP::ValidBuffers(const clap_process_t* process) const
{
  if (process->frames_count > mMaxFrames) return false;
  if (process->audio_inputs_count != 1 || process->audio_outputs_count != 1 || !process->audio_inputs ||
      !process->audio_outputs)
    return false;
  const clap_audio_buffer_t& in = process->audio_inputs[0];
  const clap_audio_buffer_t& out = process->audio_outputs[0];
  if (in.channel_count != static_cast<uint32_t>(mNIn) || out.channel_count != static_cast<uint32_t>(mNOut))
    return false;
  // Our ports are 32-bit only, so a host must hand single-precision buffers.
  if (!in.data32 || !out.data32) return false;
  for (int c = 0; c < mNIn; ++c)
    if (!in.data32[c]) return false;
  for (int c = 0; c < mNOut; ++c)
    if (!out.data32[c]) return false;
  return true;
}

BRINDLE_AUDIO_PATH void IEffectCLAP::ProcessPiece(const clap_process_t* process, uint32_t start, uint32_t end)
{
  const int blockSize = GetBlockSize();
  float* const* in = process->audio_inputs[0].data32;
  float* const* out = process->audio_outputs[0].data32;
  for (uint32_t done = start; done < end;) {
    const int piece = static_cast<int>(std::min<uint32_t>(end - done, static_cast<uint32_t>(blockSize)));
    for (int c = 0; c < mNIn; ++c) mInPtrs[static_cast<size_t>(c)] = in[c] + done;
    for (int c = 0; c < mNOut; ++c) mOutPtrs[static_cast<size_t>(c)] = out[c] + done;
    // The inputs are copied into the base's buffers before any output is written, which serves a
    // host that processes in place.
    AttachInputBuffers(0, NInChannels(), mInPtrs.data(), piece);
    AttachOutputBuffers(0, NOutChannels(), mOutPtrs.data());
    ProcessBuffers(0.0f, piece);
    done += static_cast<uint32_t>(piece);
    mSamplePos = static_cast<int>(static_cast<unsigned>(mSamplePos) + static_cast<unsigned>(piece));
  }
}

BRINDLE_AUDIO_PATH void IEffectCLAP::ApplyEvent(const clap_event_header_t* event)
{
  if (!event || event->space_id != CLAP_CORE_EVENT_SPACE_ID || event->type != CLAP_EVENT_PARAM_VALUE ||
      event->size < sizeof(clap_event_param_value_t))
    return;
  const auto* value = reinterpret_cast<const clap_event_param_value_t*>(event);
  ApplyParamValue(value->param_id, value->value);
}

BRINDLE_AUDIO_PATH void IEffectCLAP::DrainToHost(const clap_output_events_t* out)
{
  if (!out || !out->try_push) return;
  ClapHostEvent event;
  while (mToHost.Peek(&event)) {
    bool pushed = false;
    if (event.mKind == ClapHostEvent::kValue) {
      clap_event_param_value_t value{};
      value.header = {sizeof(value), 0, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_PARAM_VALUE, 0};
      value.param_id = event.mParamID;
      value.note_id = -1;
      value.port_index = value.channel = value.key = -1;
      value.value = event.mValue;
      pushed = out->try_push(out, &value.header);
    } else {
      clap_event_param_gesture_t gesture{};
      const uint16_t type =
          event.mKind == ClapHostEvent::kGestureBegin ? CLAP_EVENT_PARAM_GESTURE_BEGIN : CLAP_EVENT_PARAM_GESTURE_END;
      gesture.header = {sizeof(gesture), 0, CLAP_CORE_EVENT_SPACE_ID, type, 0};
      gesture.param_id = event.mParamID;
      pushed = out->try_push(out, &gesture.header);
    }
    if (!pushed) return; // the host's list is full: the rest waits for the next call
    mToHost.Pop();
  }
}

BRINDLE_AUDIO_PATH clap_process_status IEffectCLAP::Process(const clap_process_t* process)
{
  if (!process) return CLAP_PROCESS_ERROR;
  if (Stage() != kProcessing || !OnAudioThread() || !ValidBuffers(process)) {
    SilenceOutputs(process);
    return CLAP_PROCESS_ERROR;
  }
  const uint32_t frames = process->frames_count;
  const clap_input_events_t* events = process->in_events;
  const uint32_t nEvents = events && events->size && events->get ? events->size(events) : 0;
  uint32_t done = 0;
  for (uint32_t i = 0; i < nEvents; ++i) {
    const clap_event_header_t* event = events->get(events, i);
    if (!event) continue;
    // An event stamped past the block takes effect at its end; one stamped before an earlier one at
    // that earlier frame, since what is processed stays processed.
    const uint32_t at = std::min(std::max(event->time, done), frames);
    if (at > done) ProcessPiece(process, done, at);
    done = at;
    ApplyEvent(event);
  }
  if (done < frames) ProcessPiece(process, done, frames);
  DrainToHost(process->out_events);
  return CLAP_PROCESS_CONTINUE;
}

BRINDLE_AUDIO_PATH void IEffectCLAP::Flush(const clap_input_events_t* in, const clap_output_events_t* out)
{
  // Audio thread while active, main thread otherwise; never beside process.
  const EStage stage = Stage();
  if (stage == kCreated || (stage == kInitialized ? !OnMainThread() : !OnAudioThread())) return;
  const uint32_t nEvents = in && in->size && in->get ? in->size(in) : 0;
  for (uint32_t i = 0; i < nEvents; ++i) ApplyEvent(in->get(in, i));
  DrainToHost(out);
}
