#pragma once
// Vst3View: a product's editor as VST3's editor view, embedded in the host's X11 window.
//
// The editor is the product's own (it builds one with every instance); the view shows it inside the
// window the host attaches it to, at the editor's size at the host's content scale (1 for a new view
// until the host sets one), and may be attached and removed any number of times. A new size while
// attached remakes the window at that size and asks the frame to resize the view.
//
// Nothing runs by itself: the run loop the host offers through its plug frame calls the view's timer
// (events, redraws) and, when the host watches it, the X connection's descriptor. A host without a
// run loop gets a refusal rather than a thread behind its back. Main thread only.
#include <atomic>
#include <memory>

#include "vst3/abi/Vst3View.h"

class ClapEditorWindow;
class IEffectVST3;

class Vst3View final : public vst3::IPlugView,
                       public vst3::IPlugViewContentScaleSupport,
                       public vst3::ITimerHandler,
                       public vst3::IEventHandler
{
public:
  // Period of the host timer that drives an attached editor, in milliseconds.
  static constexpr vst3::uint64 kTimerMs = 20;

  // `owner` is the instance's component, kept alive (one reference) as long as the view.
  Vst3View(vst3::FUnknown* owner, IEffectVST3& plug);
  ~Vst3View();

  vst3::tresult queryInterface(const vst3::TUID iid, void** obj) override;
  vst3::uint32 addRef() override;
  vst3::uint32 release() override;

  vst3::tresult isPlatformTypeSupported(vst3::FIDString type) override;
  vst3::tresult attached(void* parent, vst3::FIDString type) override;
  vst3::tresult removed() override;
  // Input reaches the editor's own X window directly.
  vst3::tresult onWheel(float) override { return vst3::kResultFalse; }
  vst3::tresult onKeyDown(vst3::char16, int16_t, int16_t) override { return vst3::kResultFalse; }
  vst3::tresult onKeyUp(vst3::char16, int16_t, int16_t) override { return vst3::kResultFalse; }
  vst3::tresult getSize(vst3::ViewRect* size) override;
  vst3::tresult onSize(vst3::ViewRect* newSize) override;
  vst3::tresult onFocus(vst3::TBool) override { return vst3::kResultOk; }
  vst3::tresult setFrame(vst3::IPlugFrame* frame) override;
  vst3::tresult canResize() override { return vst3::kResultFalse; }
  vst3::tresult checkSizeConstraint(vst3::ViewRect* rect) override;

  // The factor is held to what the editor draws (IGraphics::SetScale: 1..3, not a number is 1) and
  // applied either way; kResultTrue when applied as given, else kResultFalse.
  vst3::tresult setContentScaleFactor(float factor) override;

  void onTimer() override;
  void onFDIsSet(int fd) override;

  // The editor's own X window while attached (tests).
  unsigned long XWindow() const;

private:
  void Detach();

  std::atomic<vst3::uint32> mRefs{1};
  vst3::FUnknown* mOwner;
  IEffectVST3& mPlug;
  vst3::IPlugFrame* mFrame = nullptr;
  vst3::IRunLoop* mRunLoop = nullptr; // while attached, one reference
  std::unique_ptr<ClapEditorWindow> mWindow;
  bool mTimer = false;
  int mWatchedFd = -1;
};
