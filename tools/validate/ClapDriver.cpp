// The CLAP driver of `brindle validate`: loads the module with dlopen, makes plug-ins through its
// factory with a host record of its own that offers no extensions, and keeps to the lifecycle the
// ABI sets. The calling thread plays both the main thread and, between start_processing and
// stop_processing, the audio thread; parameter values reach an active plug-in through params.flush
// while processing is stopped, or as events of a render.
#include "tools/validate/PluginDriver.h"

#include "clap/abi/ClapAudioPorts.h"
#include "clap/abi/ClapParams.h"
#include "clap/abi/ClapPlugin.h"
#include "clap/abi/ClapState.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstring>

namespace {

// A fixed-capacity list of parameter value events, so that a render never allocates.
class EventList
{
public:
  static constexpr int kCapacity = 256;
  EventList()
  {
    mEvents.resize(kCapacity);
    mList.ctx = this;
    mList.size = [](const clap_input_events_t* l) { return static_cast<const EventList*>(l->ctx)->mCount; };
    mList.get = [](const clap_input_events_t* l, uint32_t i) -> const clap_event_header_t* {
      const auto* self = static_cast<const EventList*>(l->ctx);
      return i < self->mCount ? &self->mEvents[i].header : nullptr;
    };
  }
  void Clear() { mCount = 0; }
  bool Add(clap_id id, double value, uint32_t frame)
  {
    if (mCount >= kCapacity) return false;
    clap_event_param_value_t& e = mEvents[mCount++];
    e = {};
    e.header = {sizeof(clap_event_param_value_t), frame, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_PARAM_VALUE, 0};
    e.param_id = id;
    e.note_id = -1;
    e.port_index = e.channel = e.key = -1;
    e.value = value;
    return true;
  }
  const clap_input_events_t* List() const { return &mList; }

private:
  std::vector<clap_event_param_value_t> mEvents;
  uint32_t mCount = 0;
  clap_input_events_t mList{};
};

const clap_output_events_t kDiscardEvents = {
    nullptr, [](const clap_output_events_t*, const clap_event_header_t*) { return true; }};

struct ByteStreams
{
  std::vector<unsigned char> bytes;
  size_t readPos = 0;
  clap_ostream_t Writer()
  {
    return {this, [](const clap_ostream_t* s, const void* buffer, uint64_t size) -> int64_t {
              auto* self = static_cast<ByteStreams*>(s->ctx);
              const auto* b = static_cast<const unsigned char*>(buffer);
              self->bytes.insert(self->bytes.end(), b, b + size);
              return static_cast<int64_t>(size);
            }};
  }
  clap_istream_t Reader()
  {
    return {this, [](const clap_istream_t* s, void* buffer, uint64_t size) -> int64_t {
              auto* self = static_cast<ByteStreams*>(s->ctx);
              const size_t n = std::min<size_t>(size, self->bytes.size() - self->readPos);
              if (n > 0) std::memcpy(buffer, self->bytes.data() + self->readPos, n);
              self->readPos += n;
              return static_cast<int64_t>(n);
            }};
  }
};

class ClapInstance : public PluginInstance
{
public:
  ClapInstance(const clap_plugin_factory_t* factory, const std::string& id)
  {
    mHost = {CLAP_VERSION,
             this,
             "brindle validate",
             "Brindle",
             "",
             "1.0",
             [](const clap_host_t*, const char*) -> const void* { return nullptr; },
             [](const clap_host_t*) {},
             [](const clap_host_t*) {},
             [](const clap_host_t*) {}};
    mPlugin = factory->create_plugin(factory, &mHost, id.c_str());
    if (!mPlugin) {
      mError = "create_plugin refused '" + id + "'";
      return;
    }
    if (!mPlugin->init || !mPlugin->destroy || !mPlugin->process || !mPlugin->get_extension || !mPlugin->activate) {
      mError = "the plug-in record is incomplete";
      return;
    }
    if (!mPlugin->init(mPlugin)) {
      mError = "init failed";
      return;
    }
    mInitialized = true;
    mParams = static_cast<const clap_plugin_params_t*>(mPlugin->get_extension(mPlugin, CLAP_EXT_PARAMS));
    mState = static_cast<const clap_plugin_state_t*>(mPlugin->get_extension(mPlugin, CLAP_EXT_STATE));
    // The main ports' channels: a mono plug-in renders the first channel of the driver's two.
    const auto* ports =
        static_cast<const clap_plugin_audio_ports_t*>(mPlugin->get_extension(mPlugin, CLAP_EXT_AUDIO_PORTS));
    clap_audio_port_info_t in{}, out{};
    if (ports && ports->count(mPlugin, true) == 1 && ports->count(mPlugin, false) == 1 &&
        ports->get(mPlugin, 0, true, &in) && ports->get(mPlugin, 0, false, &out)) {
      if (in.channel_count != out.channel_count || in.channel_count < 1 || in.channel_count > 2) {
        mError = "the driver renders one mono or stereo port in and out, not " + std::to_string(in.channel_count) +
                 " in and " + std::to_string(out.channel_count) + " out";
        mInitialized = false;
        return;
      }
      mChannels = in.channel_count;
    }
  }
  ~ClapInstance() override
  {
    if (!mPlugin) return;
    Unprepare();
    if (mPlugin->destroy) mPlugin->destroy(mPlugin);
  }
  const std::string& Error() const { return mError; }
  bool Ok() const { return mInitialized; }

  std::vector<DriverParameter> Parameters() override
  {
    std::vector<DriverParameter> list;
    if (!mParams) return list;
    const uint32_t count = mParams->count(mPlugin);
    for (uint32_t i = 0; i < count; ++i) {
      clap_param_info_t info{};
      if (!mParams->get_info(mPlugin, i, &info)) continue;
      DriverParameter p;
      p.id = info.id;
      p.name.assign(info.name, strnlen(info.name, sizeof info.name));
      p.minimum = info.min_value;
      p.maximum = info.max_value;
      p.defaultValue = info.default_value;
      p.stepped = (info.flags & CLAP_PARAM_IS_STEPPED) != 0;
      p.readOnly = (info.flags & CLAP_PARAM_IS_READONLY) != 0;
      list.push_back(p);
    }
    return list;
  }
  bool GetValue(std::uint32_t id, double& value) override { return mParams && mParams->get_value(mPlugin, id, &value); }
  bool SetValue(std::uint32_t id, double value) override
  {
    if (!mParams || !mParams->flush) return false;
    mEvents.Clear();
    mEvents.Add(id, value, 0);
    // flush is for an inactive plug-in, or an active one that is not processing.
    if (mProcessing) mPlugin->stop_processing(mPlugin);
    mParams->flush(mPlugin, mEvents.List(), &kDiscardEvents);
    if (mProcessing) mProcessing = mPlugin->start_processing ? mPlugin->start_processing(mPlugin) : true;
    return true;
  }
  bool ValueToText(std::uint32_t id, double value, std::string& text) override
  {
    char buffer[256] = {};
    if (!mParams || !mParams->value_to_text(mPlugin, id, value, buffer, sizeof buffer)) return false;
    text.assign(buffer, strnlen(buffer, sizeof buffer));
    return true;
  }
  bool TextToValue(std::uint32_t id, const std::string& text, double& value) override
  {
    return mParams && mParams->text_to_value(mPlugin, id, text.c_str(), &value);
  }

  bool Prepare(double rate, int maxFrames, std::string& error) override
  {
    if (!mInitialized) {
      error = mError;
      return false;
    }
    Unprepare();
    if (!mPlugin->activate(mPlugin, rate, 1, static_cast<uint32_t>(maxFrames))) {
      error = "activate refused " + std::to_string(rate) + " Hz, " + std::to_string(maxFrames) + " frames";
      return false;
    }
    mActive = true;
    if (mPlugin->start_processing && !mPlugin->start_processing(mPlugin)) {
      error = "start_processing failed";
      return false;
    }
    mProcessing = true;
    return true;
  }
  void Unprepare() override
  {
    if (mProcessing && mPlugin->stop_processing) mPlugin->stop_processing(mPlugin);
    mProcessing = false;
    if (mActive && mPlugin->deactivate) mPlugin->deactivate(mPlugin);
    mActive = false;
  }
  bool Render(const float* const* in, float* const* out, int frames, const ParameterChange* changes,
              int changeCount) override
  {
    if (!mProcessing || frames < 1) return false;
    mEvents.Clear();
    for (int i = 0; i < changeCount; ++i)
      mEvents.Add(changes[i].id, changes[i].value, static_cast<uint32_t>(std::clamp(changes[i].frame, 0, frames - 1)));
    mIn[0] = const_cast<float*>(in[0]);
    mIn[1] = const_cast<float*>(in[1]);
    mOut[0] = out[0];
    mOut[1] = out[1];
    clap_audio_buffer_t input{mIn, nullptr, mChannels, 0, 0}, output{mOut, nullptr, mChannels, 0, 0};
    clap_process_t process{};
    process.steady_time = mSteadyTime;
    process.frames_count = static_cast<uint32_t>(frames);
    process.audio_inputs = &input;
    process.audio_outputs = &output;
    process.audio_inputs_count = process.audio_outputs_count = 1;
    process.in_events = mEvents.List();
    process.out_events = &kDiscardEvents;
    mSteadyTime += frames;
    return mPlugin->process(mPlugin, &process) != CLAP_PROCESS_ERROR;
  }
  bool Reset() override
  {
    if (!mActive || !mPlugin->reset) return false;
    mPlugin->reset(mPlugin);
    return true;
  }

  bool SaveState(std::vector<unsigned char>& bytes) override
  {
    if (!mState) return false;
    ByteStreams streams;
    const clap_ostream_t writer = streams.Writer();
    if (!mState->save(mPlugin, &writer)) return false;
    bytes = std::move(streams.bytes);
    return true;
  }
  bool LoadState(const std::vector<unsigned char>& bytes) override
  {
    if (!mState) return false;
    ByteStreams streams;
    streams.bytes = bytes;
    const clap_istream_t reader = streams.Reader();
    return mState->load(mPlugin, &reader);
  }

private:
  clap_host_t mHost{};
  const clap_plugin_t* mPlugin = nullptr;
  const clap_plugin_params_t* mParams = nullptr;
  const clap_plugin_state_t* mState = nullptr;
  bool mInitialized = false, mActive = false, mProcessing = false;
  uint32_t mChannels = 2;
  int64_t mSteadyTime = 0;
  EventList mEvents;
  float* mIn[2] = {};
  float* mOut[2] = {};
  std::string mError;
};

class ClapDriver : public PluginDriver
{
public:
  ~ClapDriver() override
  {
    if (mInitialized) mEntry->deinit();
    if (mHandle) dlclose(mHandle);
  }
  bool Load(const std::string& path, const std::string& wanted, std::string& error)
  {
    mHandle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!mHandle) {
      const char* why = dlerror();
      error = path + ": not a loadable module (" + (why ? why : "dlopen failed") + ")";
      return false;
    }
    mEntry = static_cast<const clap_plugin_entry_t*>(dlsym(mHandle, "clap_entry"));
    if (!mEntry) {
      error = path + ": exports no clap_entry";
      return false;
    }
    if (!clap_version_is_compatible(mEntry->clap_version) || !mEntry->init || !mEntry->deinit || !mEntry->get_factory) {
      error = path + ": clap_entry is incomplete or not of version 1";
      return false;
    }
    if (!mEntry->init(path.c_str())) {
      error = path + ": clap_entry init failed";
      return false;
    }
    mInitialized = true;
    mFactory = static_cast<const clap_plugin_factory_t*>(mEntry->get_factory(CLAP_PLUGIN_FACTORY_ID));
    if (!mFactory || !mFactory->get_plugin_count || !mFactory->get_plugin_descriptor || !mFactory->create_plugin) {
      error = path + ": no plug-in factory";
      return false;
    }
    const uint32_t count = mFactory->get_plugin_count(mFactory);
    const clap_plugin_descriptor_t* chosen = nullptr;
    std::string ids;
    for (uint32_t i = 0; i < count; ++i) {
      const clap_plugin_descriptor_t* d = mFactory->get_plugin_descriptor(mFactory, i);
      if (!d || !d->id) continue;
      ids += (ids.empty() ? "" : ", ") + std::string(d->id);
      if (!wanted.empty()) {
        if (wanted == d->id) chosen = d;
        continue;
      }
      bool stereo = false;
      for (const char* const* f = d->features; f && *f; ++f) stereo |= std::strcmp(*f, CLAP_PLUGIN_FEATURE_STEREO) == 0;
      if (!chosen || (stereo && !mChosenStereo)) {
        chosen = d;
        mChosenStereo = stereo;
      }
    }
    if (!chosen) {
      error = path + (wanted.empty() ? ": the factory lists no plug-in"
                                     : ": no plug-in '" + wanted + "' (the module has: " + ids + ")");
      return false;
    }
    mId = chosen->id;
    mName = chosen->name ? chosen->name : mId;
    return true;
  }
  const char* Format() const override { return "CLAP"; }
  std::string PluginName() const override { return mName; }
  std::string PluginId() const override { return mId; }
  std::unique_ptr<PluginInstance> Create(std::string& error) override
  {
    auto instance = std::make_unique<ClapInstance>(mFactory, mId);
    if (!instance->Ok()) {
      error = instance->Error();
      return nullptr;
    }
    return instance;
  }

private:
  void* mHandle = nullptr;
  const clap_plugin_entry_t* mEntry = nullptr;
  const clap_plugin_factory_t* mFactory = nullptr;
  bool mInitialized = false, mChosenStereo = false;
  std::string mId, mName;
};

} // namespace

std::unique_ptr<PluginDriver> OpenClapDriver(const std::string& path, const std::string& plugin, std::string& error)
{
  auto driver = std::make_unique<ClapDriver>();
  if (!driver->Load(path, plugin, error)) return nullptr;
  return driver;
}
