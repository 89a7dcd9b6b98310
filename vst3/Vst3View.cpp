// Vst3View: the editor window in the host's, run by the host's run loop.
#include "vst3/Vst3View.h"

#include <cstring>
#include <string>

#include "clap/ClapEditorWindow.h"
#include "graphics/IGraphics.h"
#include "vst3/IEffectVST3.h"

using namespace vst3;

namespace {

IGraphics* Editor(IEffectVST3& plug)
{
  return dynamic_cast<IGraphics*>(plug.GetGUI());
}

} // namespace

Vst3View::Vst3View(FUnknown* owner, IEffectVST3& plug) : mOwner(owner), mPlug(plug)
{
  mOwner->addRef();
  // A new view starts at 1 until the host sets its factor.
  if (IGraphics* editor = Editor(mPlug)) editor->SetScale(1.0);
}

Vst3View::~Vst3View()
{
  Detach();
  mOwner->release();
}

tresult Vst3View::queryInterface(const TUID iid, void** obj)
{
  if (!obj) return kInvalidArgument;
  *obj = nullptr;
  if (SameUid(iid, kFUnknownIID) || SameUid(iid, kIPlugViewIID))
    *obj = static_cast<IPlugView*>(this);
  else if (SameUid(iid, kIPlugViewContentScaleSupportIID))
    *obj = static_cast<IPlugViewContentScaleSupport*>(this);
  else if (SameUid(iid, kITimerHandlerIID))
    *obj = static_cast<ITimerHandler*>(this);
  else if (SameUid(iid, kIEventHandlerIID))
    *obj = static_cast<IEventHandler*>(this);
  else
    return kNoInterface;
  addRef();
  return kResultOk;
}

uint32 Vst3View::addRef()
{
  return mRefs.fetch_add(1, std::memory_order_relaxed) + 1;
}

uint32 Vst3View::release()
{
  const uint32 left = mRefs.fetch_sub(1, std::memory_order_acq_rel) - 1;
  if (left == 0) delete this;
  return left;
}

tresult Vst3View::isPlatformTypeSupported(FIDString type)
{
  return type && std::strcmp(type, kPlatformTypeX11EmbedWindowID) == 0 && Editor(mPlug) ? kResultTrue : kResultFalse;
}

tresult Vst3View::attached(void* parent, FIDString type)
{
  if (mWindow || !parent || isPlatformTypeSupported(type) != kResultTrue) return kResultFalse;
  // The editor's events and redraws need a regular call on the main thread; only the host can give one.
  void* runLoop = nullptr;
  if (!mFrame || mFrame->queryInterface(kIRunLoopIID.mBytes, &runLoop) != kResultOk || !runLoop) return kResultFalse;
  mRunLoop = static_cast<IRunLoop*>(runLoop);
  mWindow = std::make_unique<ClapEditorWindow>();
  std::string error;
  if (!mWindow->Open(Editor(mPlug), reinterpret_cast<unsigned long>(parent), &error) ||
      mRunLoop->registerTimer(this, kTimerMs) != kResultOk) {
    Detach();
    return kResultFalse;
  }
  mTimer = true;
  mWindow->Show(true);
  // Refused, the timer alone still runs the editor, a tick later.
  const int fd = mWindow->ConnectionFd();
  if (fd >= 0 && mRunLoop->registerEventHandler(this, fd) == kResultOk) mWatchedFd = fd;
  return kResultOk;
}

tresult Vst3View::removed()
{
  if (!mWindow) return kResultFalse;
  Detach();
  return kResultOk;
}

void Vst3View::Detach()
{
  // The handlers go before the last window closes the connection and its number is free again.
  if (mRunLoop) {
    if (mWatchedFd >= 0) mRunLoop->unregisterEventHandler(this);
    if (mTimer) mRunLoop->unregisterTimer(this);
    mRunLoop->release();
  }
  mRunLoop = nullptr;
  mWatchedFd = -1;
  mTimer = false;
  mWindow.reset();
}

tresult Vst3View::getSize(ViewRect* size)
{
  const IGraphics* editor = Editor(mPlug);
  if (!size || !editor) return kInvalidArgument;
  *size = ViewRect{0, 0, editor->ScaledWidth(), editor->ScaledHeight()};
  return kResultOk;
}

tresult Vst3View::onSize(ViewRect* newSize)
{
  ViewRect mine{};
  if (!newSize || getSize(&mine) != kResultOk) return kInvalidArgument;
  return newSize->right - newSize->left == mine.right && newSize->bottom - newSize->top == mine.bottom ? kResultOk
                                                                                                       : kResultFalse;
}

tresult Vst3View::setFrame(IPlugFrame* frame)
{
  mFrame = frame;
  return kResultOk;
}

tresult Vst3View::checkSizeConstraint(ViewRect* rect)
{
  ViewRect mine{};
  if (!rect || getSize(&mine) != kResultOk) return kInvalidArgument;
  rect->right = rect->left + mine.right;
  rect->bottom = rect->top + mine.bottom;
  return kResultOk;
}

tresult Vst3View::setContentScaleFactor(float factor)
{
  IGraphics* editor = Editor(mPlug);
  if (!editor) return kResultFalse;
  const int width = editor->ScaledWidth(), height = editor->ScaledHeight();
  editor->SetScale(factor);
  const tresult applied = editor->GetScale() == static_cast<double>(factor) ? kResultTrue : kResultFalse;
  if (!mWindow || (editor->ScaledWidth() == width && editor->ScaledHeight() == height)) return applied;
  if (!mWindow->Refit()) {
    Detach(); // the host's next attached opens it anew
    return kResultFalse;
  }
  // A frame that refuses still gets the editor at its factor, clipped by its window.
  ViewRect size{0, 0, editor->ScaledWidth(), editor->ScaledHeight()};
  if (mFrame) mFrame->resizeView(this, &size);
  return applied;
}

void Vst3View::onTimer()
{
  if (mWindow) mWindow->Idle();
}

void Vst3View::onFDIsSet(int fd)
{
  if (mWindow && fd == mWatchedFd) mWindow->HandleEvents();
}

unsigned long Vst3View::XWindow() const
{
  return mWindow ? mWindow->XWindow() : 0;
}
