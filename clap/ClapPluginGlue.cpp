// ClapPluginGlue: the host's C calls, forwarded to IEffectCLAP.
#include "clap/ClapPluginGlue.h"

#include <cstring>

namespace {

struct ClapInstance
{
  clap_plugin_t mRecord;
  std::unique_ptr<IEffectCLAP> mPlug;
};

IEffectCLAP* Plug(const clap_plugin_t* plugin)
{
  if (!plugin || !plugin->plugin_data) return nullptr;
  return static_cast<ClapInstance*>(plugin->plugin_data)->mPlug.get();
}

// Runs f on the object, or answers fallback when there is none or f throws.
template <class R, class F>
R Call(const clap_plugin_t* plugin, R fallback, F&& f)
{
  try {
    IEffectCLAP* plug = Plug(plugin);
    return plug ? f(*plug) : fallback;
  } catch (...) {
    return fallback;
  }
}

template <class F>
void CallVoid(const clap_plugin_t* plugin, F&& f)
{
  try {
    if (IEffectCLAP* plug = Plug(plugin)) f(*plug);
  } catch (...) {}
}

// Main-thread calls outside the lifecycle: refused off the main thread.
template <class R, class F>
R CallMain(const clap_plugin_t* plugin, R fallback, F&& f)
{
  return Call(plugin, fallback, [&](IEffectCLAP& p) {
    if (!p.OnMainThread()) {
      p.LogMisbehaviour("a main-thread call off the main thread");
      return fallback;
    }
    return static_cast<R>(f(p));
  });
}

// ---- clap.audio-ports ----
const clap_plugin_audio_ports_t kAudioPorts = {
    [](const clap_plugin_t* p, bool isInput) {
      return CallMain<uint32_t>(p, 0, [&](IEffectCLAP& plug) { return plug.PortCount(isInput); });
    },
    [](const clap_plugin_t* p, uint32_t index, bool isInput, clap_audio_port_info_t* info) {
      return CallMain(p, false, [&](IEffectCLAP& plug) { return plug.PortInfo(index, isInput, info); });
    },
};

// ---- clap.params ----
const clap_plugin_params_t kParams = {
    [](const clap_plugin_t* p) {
      return CallMain<uint32_t>(p, 0, [](IEffectCLAP& plug) { return plug.ParamCount(); });
    },
    [](const clap_plugin_t* p, uint32_t index, clap_param_info_t* info) {
      return CallMain(p, false, [&](IEffectCLAP& plug) { return plug.ParamInfo(index, info); });
    },
    [](const clap_plugin_t* p, clap_id id, double* value) {
      return CallMain(p, false, [&](IEffectCLAP& plug) { return plug.ParamValue(id, value); });
    },
    [](const clap_plugin_t* p, clap_id id, double value, char* out, uint32_t capacity) {
      return CallMain(p, false, [&](IEffectCLAP& plug) { return plug.ValueToText(id, value, out, capacity); });
    },
    [](const clap_plugin_t* p, clap_id id, const char* text, double* value) {
      return CallMain(p, false, [&](IEffectCLAP& plug) { return plug.TextToValue(id, text, value); });
    },
    [](const clap_plugin_t* p, const clap_input_events_t* in, const clap_output_events_t* out) {
      CallVoid(p, [&](IEffectCLAP& plug) { plug.Flush(in, out); });
    },
};

// ---- clap.state ----
const clap_plugin_state_t kState = {
    [](const clap_plugin_t* p, const clap_ostream_t* stream) {
      return Call(p, false, [&](IEffectCLAP& plug) { return plug.SaveState(stream); });
    },
    [](const clap_plugin_t* p, const clap_istream_t* stream) {
      return Call(p, false, [&](IEffectCLAP& plug) { return plug.LoadState(stream); });
    },
};

// ---- clap.latency, clap.tail, clap.render ----
const clap_plugin_latency_t kLatency = {[](const clap_plugin_t* p) {
  return CallMain<uint32_t>(p, 0, [](IEffectCLAP& plug) { return plug.LatencyFrames(); });
}};
// The tail is asked for on the main or the audio thread.
const clap_plugin_tail_t kTail = {
    [](const clap_plugin_t* p) { return Call<uint32_t>(p, 0, [](IEffectCLAP& plug) { return plug.TailFrames(); }); }};
const clap_plugin_render_t kRender = {
    [](const clap_plugin_t* p) { return CallMain(p, false, [](IEffectCLAP&) { return false; }); },
    [](const clap_plugin_t* p, clap_plugin_render_mode mode) {
      return CallMain(p, false, [&](IEffectCLAP& plug) { return plug.SetRenderMode(mode); });
    },
};

// ---- clap.gui, clap.timer-support and clap.posix-fd-support ----
const clap_plugin_gui_t kGui = {
    [](const clap_plugin_t* p, const char* api, bool floating) {
      return CallMain(p, false, [&](IEffectCLAP& plug) { return plug.GuiApiSupported(api, floating); });
    },
    [](const clap_plugin_t* p, const char** api, bool* floating) {
      return CallMain(p, false, [&](IEffectCLAP& plug) {
        if (!api || !floating || !plug.GuiApiSupported(CLAP_WINDOW_API_X11, false)) return false;
        *api = CLAP_WINDOW_API_X11;
        *floating = false;
        return true;
      });
    },
    [](const clap_plugin_t* p, const char* api, bool floating) {
      return Call(p, false, [&](IEffectCLAP& plug) { return plug.GuiCreate(api, floating); });
    },
    [](const clap_plugin_t* p) { CallVoid(p, [](IEffectCLAP& plug) { plug.GuiDestroy(); }); },
    [](const clap_plugin_t* p, double scale) {
      return Call(p, false, [&](IEffectCLAP& plug) { return plug.GuiSetScale(scale); });
    },
    [](const clap_plugin_t* p, uint32_t* w, uint32_t* h) {
      return Call(p, false, [&](IEffectCLAP& plug) { return plug.GuiSize(w, h); });
    },
    [](const clap_plugin_t*) { return false; }, // can_resize
    [](const clap_plugin_t*, clap_gui_resize_hints_t*) { return false; },
    [](const clap_plugin_t* p, uint32_t* w, uint32_t* h) {
      return Call(p, false, [&](IEffectCLAP& plug) { return plug.GuiAdjustSize(w, h); });
    },
    [](const clap_plugin_t* p, uint32_t w, uint32_t h) {
      return Call(p, false, [&](IEffectCLAP& plug) { return plug.GuiSetSize(w, h); });
    },
    [](const clap_plugin_t* p, const clap_window_t* window) {
      return Call(p, false, [&](IEffectCLAP& plug) { return plug.GuiSetParent(window); });
    },
    [](const clap_plugin_t*, const clap_window_t*) { return false; }, // set_transient: floating only
    [](const clap_plugin_t*, const char*) {},                         // suggest_title: floating only
    [](const clap_plugin_t* p) { return Call(p, false, [](IEffectCLAP& plug) { return plug.GuiShow(true); }); },
    [](const clap_plugin_t* p) { return Call(p, false, [](IEffectCLAP& plug) { return plug.GuiShow(false); }); },
};
const clap_plugin_timer_support_t kTimerSupport = {
    [](const clap_plugin_t* p, clap_id timer) { CallVoid(p, [&](IEffectCLAP& plug) { plug.OnTimer(timer); }); }};
const clap_plugin_posix_fd_support_t kFdSupport = {[](const clap_plugin_t* p, int fd, clap_posix_fd_flags_t flags) {
  CallVoid(p, [&](IEffectCLAP& plug) { plug.OnFd(fd, flags); });
}};

// ---- the plug-in record ----
bool Init(const clap_plugin_t* p)
{
  return Call(p, false, [](IEffectCLAP& plug) { return plug.Init(); });
}

void Destroy(const clap_plugin_t* p)
{
  try {
    if (!p || !p->plugin_data) return;
    auto* instance = static_cast<ClapInstance*>(p->plugin_data);
    if (instance->mPlug) instance->mPlug->Teardown();
    delete instance;
  } catch (...) {}
}

bool Activate(const clap_plugin_t* p, double rate, uint32_t minFrames, uint32_t maxFrames)
{
  return Call(p, false, [&](IEffectCLAP& plug) { return plug.Activate(rate, minFrames, maxFrames); });
}

void Deactivate(const clap_plugin_t* p)
{
  CallVoid(p, [](IEffectCLAP& plug) { plug.Deactivate(); });
}

bool StartProcessing(const clap_plugin_t* p)
{
  return Call(p, false, [](IEffectCLAP& plug) { return plug.StartProcessing(); });
}

void StopProcessing(const clap_plugin_t* p)
{
  CallVoid(p, [](IEffectCLAP& plug) { plug.StopProcessing(); });
}

void ResetPlug(const clap_plugin_t* p)
{
  CallVoid(p, [](IEffectCLAP& plug) { plug.ResetProcessing(); });
}

clap_process_status Process(const clap_plugin_t* p, const clap_process_t* process)
{
  IEffectCLAP* plug = Plug(p);
  return plug ? plug->Process(process) : CLAP_PROCESS_ERROR;
}

const void* GetExtension(const clap_plugin_t* p, const char* id)
{
  if (!Plug(p) || !id) return nullptr;
  const struct
  {
    const char* mID;
    const void* mTable;
  } kOffered[] = {{CLAP_EXT_AUDIO_PORTS, &kAudioPorts},
                  {CLAP_EXT_PARAMS, &kParams},
                  {CLAP_EXT_STATE, &kState},
                  {CLAP_EXT_LATENCY, &kLatency},
                  {CLAP_EXT_TAIL, &kTail},
                  {CLAP_EXT_RENDER, &kRender},
                  {CLAP_EXT_GUI, &kGui},
                  {CLAP_EXT_TIMER_SUPPORT, &kTimerSupport},
                  {CLAP_EXT_POSIX_FD_SUPPORT, &kFdSupport}};
  for (const auto& offered : kOffered)
    if (std::strcmp(id, offered.mID) == 0) return offered.mTable;
  return nullptr;
}

void OnMainThread(const clap_plugin_t*) {}

} // namespace

const clap_plugin_t* ClapWrapPlugin(const clap_plugin_descriptor_t* desc, std::unique_ptr<IEffectCLAP> plug)
{
  if (!plug) return nullptr;
  auto instance = std::make_unique<ClapInstance>();
  instance->mPlug = std::move(plug);
  instance->mRecord = {desc,          instance.get(),   &Init,           &Destroy,   &Activate,
                       &Deactivate,   &StartProcessing, &StopProcessing, &ResetPlug, &Process,
                       &GetExtension, &OnMainThread};
  return &instance.release()->mRecord;
}

IEffectCLAP* ClapPluginObject(const clap_plugin_t* plugin)
{
  return Plug(plugin);
}
