#pragma once
// MakeAUPlug: the factory a product's component registers with the adapter (SetPlugFactory), and
// MakeAUInstanceInfo, what every new instance is told about its bundle. Both take the product's
// generated identity (TIdentity::kBundleID, TIdentity::kViewClassName), so no product writes them.

#include "au/IEffectAU.h"
#include "au/IEffectInstanceInfo.h"
#include "containers/Core_Mutex.h"

template <class TIdentity>
IEffectInstanceInfo MakeAUInstanceInfo()
{
  IEffectInstanceInfo info;
  info.mBundleID = TIdentity::kBundleID;
  info.mCocoaViewFactoryClassName = TIdentity::kViewClassName;
  return info;
}

// A new TPlug; the caller owns it. Instance creation is serialised across the process: the mutex
// is created on the first call (the language makes that safe against concurrent first calls) and
// destroyed at process exit.
template <class TPlug, class TIdentity>
IEffectAU* MakeAUPlug()
{
  static Core_Mutex sMutex;
  Core_MutexLock lock(sMutex);
  return new TPlug(MakeAUInstanceInfo<TIdentity>());
}
