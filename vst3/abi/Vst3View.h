#pragma once
// VST3's editor view interfaces (Linux x86-64 ABI): IPlugView and the host's IPlugFrame, with the
// run loop a Linux host offers through its frame for timers and file descriptors, and the
// content-scale interface.
#include "vst3/abi/Vst3Base.h"

namespace vst3 {

constexpr const char* kPlatformTypeX11EmbedWindowID = "X11EmbedWindowID";
constexpr const char* kEditorViewType = "editor";

struct ViewRect
{
  int32 left;
  int32 top;
  int32 right;
  int32 bottom;
};
static_assert(sizeof(ViewRect) == 16, "ViewRect layout");

class IPlugFrame;

class IPlugView : public FUnknown
{
public:
  virtual tresult isPlatformTypeSupported(FIDString type) = 0;
  virtual tresult attached(void* parent, FIDString type) = 0;
  virtual tresult removed() = 0;
  virtual tresult onWheel(float distance) = 0;
  virtual tresult onKeyDown(char16 key, int16_t keyCode, int16_t modifiers) = 0;
  virtual tresult onKeyUp(char16 key, int16_t keyCode, int16_t modifiers) = 0;
  virtual tresult getSize(ViewRect* size) = 0;
  virtual tresult onSize(ViewRect* newSize) = 0;
  virtual tresult onFocus(TBool state) = 0;
  virtual tresult setFrame(IPlugFrame* frame) = 0;
  virtual tresult canResize() = 0;
  virtual tresult checkSizeConstraint(ViewRect* rect) = 0;

protected:
  ~IPlugView() = default;
};
constexpr Uid kIPlugViewIID = MakeUid(0x5BC32507, 0xD06049EA, 0xA6151B52, 0x2B755B29);

class IPlugFrame : public FUnknown
{
public:
  virtual tresult resizeView(IPlugView* view, ViewRect* newSize) = 0;

protected:
  ~IPlugFrame() = default;
};
constexpr Uid kIPlugFrameIID = MakeUid(0x367FAF01, 0xAFA94693, 0x8D4DA2A0, 0xED0882A3);

class IEventHandler : public FUnknown
{
public:
  virtual void onFDIsSet(int fd) = 0;

protected:
  ~IEventHandler() = default;
};
constexpr Uid kIEventHandlerIID = MakeUid(0x561E65C9, 0x13A0496F, 0x813A2C35, 0x654D7983);

class ITimerHandler : public FUnknown
{
public:
  virtual void onTimer() = 0;

protected:
  ~ITimerHandler() = default;
};
constexpr Uid kITimerHandlerIID = MakeUid(0x10BDD94F, 0x41424774, 0x821FAD8F, 0xECA72CA9);

class IRunLoop : public FUnknown
{
public:
  virtual tresult registerEventHandler(IEventHandler* handler, int fd) = 0;
  virtual tresult unregisterEventHandler(IEventHandler* handler) = 0;
  virtual tresult registerTimer(ITimerHandler* handler, uint64 milliseconds) = 0;
  virtual tresult unregisterTimer(ITimerHandler* handler) = 0;

protected:
  ~IRunLoop() = default;
};
constexpr Uid kIRunLoopIID = MakeUid(0x18C35366, 0x97764F1A, 0x9C5B8385, 0x7A871389);

class IPlugViewContentScaleSupport : public FUnknown
{
public:
  virtual tresult setContentScaleFactor(float factor) = 0;

protected:
  ~IPlugViewContentScaleSupport() = default;
};
constexpr Uid kIPlugViewContentScaleSupportIID = MakeUid(0x65ED9690, 0x8AC44525, 0x8AADEF7A, 0x72EA703F);

} // namespace vst3
