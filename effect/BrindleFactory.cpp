#include "effect/BrindleFactory.h"

#include "containers/Core_Mutex.h"
#include "effect/Brindle.h"

const char* const kBrindleBundleID = "com.tallowby.audiounit.Brindle";
const char* const kBrindleViewClassName = "Brindle_View";

IEffectInstanceInfo MakeBrindleInstanceInfo()
{
  IEffectInstanceInfo info;
  info.mBundleID = kBrindleBundleID;
  info.mCocoaViewFactoryClassName = kBrindleViewClassName;
  return info;
}

Brindle* MakePlug()
{
  // Created on the first call (the language makes that safe against concurrent
  // first calls), destroyed at process exit.
  static Core_Mutex sMutex;
  Core_MutexLock lock(sMutex);
  return new Brindle(MakeBrindleInstanceInfo());
}
