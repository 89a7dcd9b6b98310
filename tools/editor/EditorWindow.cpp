#include "tools/editor/EditorWindow.h"

#include <AppKit/AppKit.h>
#include <AudioToolbox/AudioUnitUtilities.h>
#include <BrindleHost/X11Backend.h>
#include <Foundation/NSRunLoop.h>

#include <csignal>
#include <map>

#include "BrindleIdentity.h"
#include "tools/host/EditorHost.h"

namespace {

volatile std::sig_atomic_t sInterrupted = 0;

void OnSignal(int)
{
  sInterrupted = 1;
}

// Handlers without SA_RESTART, so a signal ends the backend's wait at once; the previous ones come
// back when the window closes.
class SignalScope
{
public:
  SignalScope()
  {
    sInterrupted = 0;
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &mOldInt);
    sigaction(SIGTERM, &action, &mOldTerm);
  }
  ~SignalScope()
  {
    sigaction(SIGINT, &mOldInt, nullptr);
    sigaction(SIGTERM, &mOldTerm, nullptr);
  }

private:
  struct sigaction mOldInt = {}, mOldTerm = {};
};

struct Listening
{
  const ParameterChangeHandler* onChange;
  std::map<AudioUnitParameterID, AudioUnitParameterValue> last;
};

void OnEvent(void* refCon, void*, const AudioUnitEvent* event, UInt64, AudioUnitParameterValue value)
{
  auto* listening = static_cast<Listening*>(refCon);
  if (event->mEventType != kAudioUnitEvent_ParameterValueChange) return;
  const AudioUnitParameterID id = event->mArgument.mParameter.mParameterID;
  const auto found = listening->last.find(id);
  if (found != listening->last.end() && found->second == value) return;
  listening->last[id] = value;
  (*listening->onChange)(id, value);
}

} // namespace

bool RunEditorWindow(AudioUnit unit, const std::string& display, const ParameterChangeHandler& onChange,
                     std::string& error, double scale)
{
  BrindleHost::X11Options options;
  options.mDisplay = display;
  options.mTitle = BrindleIdentity::kName;
  std::unique_ptr<BrindleHost::IWindowBackend> backend = BrindleHost::MakeX11Backend(options, &error);
  if (!backend) return false;
  BrindleHost::SetBackend(std::move(backend));
  if (scale <= 0.0) scale = BrindleHost::X11DisplayScale();

  Listening listening{&onChange, {}};
  AUEventListenerRef listener = nullptr;
  AUEventListenerCreate(&OnEvent, &listening, nullptr, nullptr, 0, 0, &listener);
  AudioUnitEvent event = {};
  event.mEventType = kAudioUnitEvent_ParameterValueChange;
  event.mArgument.mParameter = {unit, kAUParameterListener_AnyParameter, kAudioUnitScope_Global, 0};
  if (listener) AUEventListenerAddEventType(listener, nullptr, &event);

  bool opened = false;
  {
    SignalScope signals;
    EditorHost editor;
    opened = editor.Open(unit, error, scale);
    if (opened) {
      NSRunLoop* loop = NSRunLoop::mainRunLoop();
      while (!sInterrupted && editor.Window()->isVisible()) loop->runUntilTime(loop->now() + 0.1);
    }
    editor.Close();
  }
  if (listener) AUListenerDispose(listener);
  BrindleHost::SetBackend(nullptr); // closes the display
  return opened;
}
