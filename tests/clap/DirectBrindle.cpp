#include "tests/clap/DirectProducts.h"

#include "effect/BrindlePlugImpl.h"

template class BrindlePlug<IEffectCLAP>;

std::unique_ptr<IEffectCLAP> MakeDirectBrindle(const IEffectCLAP::InstanceInfo& info)
{
  return std::make_unique<BrindlePlug<IEffectCLAP>>(info);
}
