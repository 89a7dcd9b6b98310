// SoakComponent: the Audio Unit side of a soak run. One instance of the component, opened through
// the Component Manager as a host opens it, rendered on one thread while others automate its
// parameters, save and restore its class info, and open its editor.
//
// Automation and the checked part of a state round trip exclude each other through a host-side
// gate, the way a host does not automate a unit while it loads a state into it; rendering is never
// held up by either.
#pragma once

#include "tools/host/ComponentHost.h"

#include <mutex>
#include <string>
#include <vector>

struct SoakParameter
{
  AudioUnitParameterID id = 0;
  std::string name;
  float minimum = 0.0f, maximum = 1.0f;
  bool stepped = false; // indexed or boolean: whole numbers only
};

class SoakComponent
{
public:
  SoakComponent() = default;
  ~SoakComponent();
  SoakComponent(const SoakComponent&) = delete;
  SoakComponent& operator=(const SoakComponent&) = delete;

  // Loads the bundle, opens and initializes a stereo instance; false with a one-line reason.
  bool Open(const std::string& bundle, double rate, int maxFrames, std::string& error);
  AudioUnit Unit() const { return mHost.Unit(); }
  const std::vector<SoakParameter>& Parameters() const { return mParameters; }

  // Render thread.
  bool Render(const float* const* in, float* const* out, int frames, std::string& error);
  // Automation thread: sets a parameter and reads it back while no state is being restored.
  bool Automate(const SoakParameter& parameter, float value, std::string& error);
  // State thread: copies the class info now (beside automation and rendering), then restores
  // `previous` and checks that the unit's class info reads back exactly as `previous`; `previous`
  // becomes the copy taken now. `changed` tells whether the restore changed what the unit held.
  bool StateRoundTrip(CFPropertyListRef& previous, bool& changed, std::string& error);
  // The current class info (the caller releases it).
  bool CopyState(CFPropertyListRef& out, std::string& error);

private:
  ComponentHost mHost;
  std::vector<SoakParameter> mParameters;
  std::mutex mGate;
};
