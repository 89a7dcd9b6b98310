// Brindle: the product as an Audio Unit component, the product template (BrindlePlug.h) over the
// Audio Unit adapter. Everything the product does lives in the template; this class only gives the
// component's instantiation its name.
#pragma once

#include "au/IEffectAU.h"
#include "au/IEffectInstanceInfo.h"
#include "effect/BrindlePlug.h"

extern template class BrindlePlug<IEffectAU>;

class Brindle : public BrindlePlug<IEffectAU>
{
public:
  using BrindlePlug<IEffectAU>::BrindlePlug;
};
