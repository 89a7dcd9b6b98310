// The product's Audio Unit instantiation.
#include "examples/gain/GainAU.h"
#include "examples/gain/GainPlugImpl.h"

template class GainPlug<IEffectAU>;
