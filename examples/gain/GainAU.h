// Gain as an Audio Unit component: the product template (GainPlug.h) over the Audio Unit adapter.
// The component's entry points, factory and view factory are generated from Gain.identity.cmake.
#pragma once

#include "au/IEffectAU.h"
#include "au/IEffectInstanceInfo.h"
#include "examples/gain/GainPlug.h"

extern template class GainPlug<IEffectAU>;

class Gain : public GainPlug<IEffectAU>
{
public:
  using GainPlug<IEffectAU>::GainPlug;
};
