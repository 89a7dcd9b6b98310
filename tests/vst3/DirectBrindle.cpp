// Brindle over IEffectVST3 built into the test program: the product rendered directly, for comparison
// with what the module renders through VST3.
#include "tests/vst3/Vst3RenderCompare.h"

#include "effect/BrindlePlugImpl.h"

template class BrindlePlug<IEffectVST3>;

std::unique_ptr<IEffectVST3> MakeDirectBrindle()
{
  return std::make_unique<BrindlePlug<IEffectVST3>>(IEffectVST3::InstanceInfo{});
}
