// The two C entry points the component bundle exports. The host's Component
// Manager finds them by the names in the bundle's Info.plist. Loading this file
// also registers the product's factory with the adapter, so the open selector
// builds a Brindle.
#include <AudioUnit/AudioUnit.h>
#include <CoreServices/CoreServices.h>

#include "au/IEffectAU.h"
#include "effect/Brindle.h"
#include "effect/BrindleFactory.h"

#define BRINDLE_EXPORT __attribute__((visibility("default")))

extern "C" BRINDLE_EXPORT ComponentResult Brindle_Entry(ComponentParameters* params, void* storage);
extern "C" BRINDLE_EXPORT ComponentResult Brindle_ViewEntry(ComponentParameters* params,
                                                            void* storage);

namespace
{
IEffectAU* MakeBrindleForHost() { return MakePlug(); }

const bool sFactoryRegistered = (IEffectAU::SetPlugFactory(&MakeBrindleForHost), true);
} // namespace

extern "C" ComponentResult Brindle_Entry(ComponentParameters* params, void* storage)
{
  (void)sFactoryRegistered;
  return IEffectAU::IEffectAUEntry(params, storage);
}

extern "C" ComponentResult Brindle_ViewEntry(ComponentParameters* params, void* storage)
{
  return IEffectAU::IEffectAUCarbonViewEntry(params, storage);
}
