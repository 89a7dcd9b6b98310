// Brindle_View: the class a host instantiates, by the name the Cocoa-view property gives, to get
// Brindle's editor view. Compiled into the component bundle itself, so that loading the bundle
// registers the class, as loading a Mac bundle registers its classes.
#include <CoreServices/CoreServices.h>

#include "au/IEffectAU.h"
#include "graphics/mac/AUCocoaViewFactory.h"

class Brindle_View : public AUCocoaViewFactory
{
public:
  static NSObject* alloc() { return new Brindle_View(); }

protected:
  Brindle_View() : AUCocoaViewFactory("Brindle View") {}

  IEffectBase* PlugForUnit(AudioUnit unit) override
  {
    // The component entry stores the plug-in object as the instance's storage when it opens.
    return static_cast<IEffectAU*>(reinterpret_cast<void*>(GetComponentInstanceStorage(unit)));
  }
};

NS_REGISTER_CLASS(Brindle_View);
