// Gestalt: the simulated system's version, adjustable by the host.
#include <CoreServices/Gestalt.h>
#include <BrindleHost/HostControls.h>

#include <atomic>

namespace {

std::atomic<SInt32> sSystemVersion{0x1068};

} // namespace

void BrindleHost_SetSystemVersion(SInt32 version)
{
  sSystemVersion.store(version);
}

OSErr Gestalt(OSType selector, SInt32* response)
{
  if (!response) return paramErr;
  if (selector != gestaltSystemVersion) return gestaltUndefSelectorErr;
  *response = sSystemVersion.load();
  return noErr;
}
