#include "graphics/mac/AUCocoaViewFactory.h"

#include "graphics/mac/IGraphicsMac.h"
#include "plugcore/IEffectBase.h"

NSObject* AUCocoaViewFactory::init()
{
  mPlug = nullptr;
  return NSObject::init();
}

NSString* AUCocoaViewFactory::description()
{
  return NSString::stringWithUTF8String(mDescription);
}

NSView* AUCocoaViewFactory::uiViewForAudioUnit(AudioUnit unit, NSSize /*size*/)
{
  mPlug = unit ? PlugForUnit(unit) : nullptr;
  IGraphicsMac* editor = mPlug ? dynamic_cast<IGraphicsMac*>(mPlug->GetGUI()) : nullptr;
  if (!editor) return nullptr;
  NSView* view = static_cast<NSView*>(editor->OpenWindow(nullptr));
  view->retain();
  view->autorelease();
  return view;
}
