// Brindle and Gain over IEffectCLAP, built into the test program itself: the products rendered
// directly, for comparison with what the modules render through CLAP, and in-process instances for
// what a host cannot reach (the editor's side of the queue to the host).
#pragma once

#include <memory>

#include "clap/IEffectCLAP.h"

std::unique_ptr<IEffectCLAP> MakeDirectBrindle(const IEffectCLAP::InstanceInfo& info);
std::unique_ptr<IEffectCLAP> MakeDirectGain(const IEffectCLAP::InstanceInfo& info);
