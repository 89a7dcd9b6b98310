#include "tests/clap/DirectProducts.h"

#include "examples/gain/GainPlugImpl.h"

template class GainPlug<IEffectCLAP>;

std::unique_ptr<IEffectCLAP> MakeDirectGain(const IEffectCLAP::InstanceInfo& info)
{
  return std::make_unique<GainPlug<IEffectCLAP>>(info);
}
