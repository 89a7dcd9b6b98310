#pragma once
// AUCocoaViewFactory: what a host instantiates, by class name, to get a plug-in's editor view.
// The host reads the unit's Cocoa-view property (bundle and class name), looks the class up, makes
// one, and asks it for a view for the unit. The factory finds the plug-in object behind the unit and
// opens its editor; the host places the returned view in its window.
//
// A product derives one class with its own registered name (Brindle's is "Brindle_View") and says
// how its units keep their plug-in object (PlugForUnit).

#include <AppKit/AppKit.h>
#include <AudioUnit/AUCocoaUIView.h>

class IEffectBase;

class AUCocoaViewFactory : public NSObject, public AUCocoaUIBase
{
public:
  NSObject* init() override;
  unsigned interfaceVersion() override { return 0; }
  NSString* description() override;
  // A new view onto the plug-in's editor (autoreleased, as AppKit hands objects out), or nil when
  // the unit has no plug-in object or the plug-in has no editor. The editor's layout is fixed; a
  // preferred size (both sides above 0) sets its display scale to fit that size (1 to 3 times).
  NSView* uiViewForAudioUnit(AudioUnit unit, NSSize size) override;

  IEffectBase* GetPlug() const { return mPlug; }

protected:
  explicit AUCocoaViewFactory(const char* description) : mDescription(description) {}
  // The plug-in object a unit of this product keeps as its instance storage, or null.
  virtual IEffectBase* PlugForUnit(AudioUnit unit) = 0;

private:
  const char* mDescription;
  IEffectBase* mPlug = nullptr;
};
