#include "graphics/mac/AUCocoaViewFactory.h"

#include <algorithm>

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

NSView* AUCocoaViewFactory::uiViewForAudioUnit(AudioUnit unit, NSSize size)
{
  mPlug = unit ? PlugForUnit(unit) : nullptr;
  IGraphicsMac* editor = mPlug ? dynamic_cast<IGraphicsMac*>(mPlug->GetGUI()) : nullptr;
  if (!editor) return nullptr;
  // A preferred size asks for the editor scaled to fit it; none (0 x 0) keeps the scale it has.
  if (size.width > 0 && size.height > 0 && editor->Width() > 0 && editor->Height() > 0)
    editor->SetScale(std::min(size.width / editor->Width(), size.height / editor->Height()));
  NSView* view = static_cast<NSView*>(editor->OpenWindow(nullptr));
  view->retain();
  view->autorelease();
  return view;
}
