// The checks of `brindle validate`: each is a small function that exercises the component through
// its entry alone (the Component Manager and the AudioUnit* calls, as a host validator does) and
// answers PASS or FAIL with a one-line reason. The table lists them in the order they run; a check
// may carry an argument (a sample rate, a property index) so one function serves several lines.
// A check that other formats share has a second function, run through a plug-in driver (CLAP,
// VST3) with the same argument; a line without one does not apply to them.
#pragma once

#include "tools/validate/ValidateDriverSupport.h"
#include "tools/validate/ValidateSupport.h"

#include <string>
#include <vector>

using CheckFunction = CheckOutcome (*)(ValidateContext& context, int argument);
using DriverCheckFunction = CheckOutcome (*)(DriverContext& context, int argument);

struct ValidateCheck
{
  std::string name;
  CheckFunction run;
  int argument;
  int level = 1; // the lowest strictness level that runs it
  DriverCheckFunction driverRun = nullptr;
  bool valueText = false; // through a driver, only for a format with value text
};

// Every check, in running order; with a level, only those that level runs.
std::vector<ValidateCheck> ValidateCheckTable();
std::vector<ValidateCheck> ValidateCheckTable(int level);

// Check families (one file each).
CheckOutcome CheckOpenCloseTimes(ValidateContext&, int);
CheckOutcome CheckRepeatedOpenClose(ValidateContext&, int cycles);
CheckOutcome CheckRequiredProperty(ValidateContext&, int propertyIndex);
std::vector<std::string> RequiredPropertyNames();
CheckOutcome CheckChannelConfigurations(ValidateContext&, int);
CheckOutcome CheckParameterInfo(ValidateContext&, int);
CheckOutcome CheckParameterValueStrings(ValidateContext&, int);
CheckOutcome CheckParameterSetAndReadBack(ValidateContext&, int);
CheckOutcome CheckParameterTextRoundTrip(ValidateContext&, int);
CheckOutcome CheckRenderAtRate(ValidateContext&, int sampleRate);
CheckOutcome CheckOversizeRenderRefused(ValidateContext&, int);
CheckOutcome CheckBypass(ValidateContext&, int);
CheckOutcome CheckReset(ValidateContext&, int);
CheckOutcome CheckStateRoundTrip(ValidateContext&, int);
CheckOutcome CheckForeignStateRefused(ValidateContext&, int);
CheckOutcome CheckNoiseOutputClean(ValidateContext&, int);
CheckOutcome CheckRenderWhileSettingParameters(ValidateContext&, int);
CheckOutcome CheckFactoryPresets(ValidateContext&, int);
CheckOutcome CheckWritableFlags(ValidateContext&, int);
CheckOutcome CheckHostileParameterValues(ValidateContext&, int);
CheckOutcome CheckRandomStateDictionaries(ValidateContext&, int);
CheckOutcome CheckFormatsReadBack(ValidateContext&, int);
CheckOutcome CheckEveryReadableProperty(ValidateContext&, int);
CheckOutcome CheckReconfigureLiveInstance(ValidateContext&, int);
CheckOutcome CheckPropertyListeners(ValidateContext&, int);
CheckOutcome CheckRenderNotifiers(ValidateContext&, int);
CheckOutcome CheckPullOncePerSampleTime(ValidateContext&, int);
CheckOutcome CheckNullOutputBuffers(ValidateContext&, int);
CheckOutcome CheckUpstreamConnection(ValidateContext&, int);
CheckOutcome CheckRealtimeSafety(ValidateContext&, int fastDispatch);
CheckOutcome CheckEditorOpenClose(ValidateContext&, int cycles);
CheckOutcome CheckLongSession(ValidateContext&, int cycles);

// The same checks through a plug-in driver.
CheckOutcome DriverOpenCloseTimes(DriverContext&, int);
CheckOutcome DriverRepeatedOpenClose(DriverContext&, int cycles);
CheckOutcome DriverParameterInfo(DriverContext&, int);
CheckOutcome DriverParameterValueStrings(DriverContext&, int);
CheckOutcome DriverParameterSetAndReadBack(DriverContext&, int);
CheckOutcome DriverParameterTextRoundTrip(DriverContext&, int);
CheckOutcome DriverRenderAtRate(DriverContext&, int sampleRate);
CheckOutcome DriverOversizeRenderRefused(DriverContext&, int);
CheckOutcome DriverReset(DriverContext&, int);
CheckOutcome DriverStateRoundTrip(DriverContext&, int);
CheckOutcome DriverForeignStateRefused(DriverContext&, int);
CheckOutcome DriverNoiseOutputClean(DriverContext&, int);
CheckOutcome DriverReconfigureLiveInstance(DriverContext&, int);
CheckOutcome DriverHostileParameterValues(DriverContext&, int);
CheckOutcome DriverRandomStates(DriverContext&, int);
CheckOutcome DriverRenderWhileReadingParameters(DriverContext&, int);
CheckOutcome DriverRealtimeSafety(DriverContext&, int);
CheckOutcome DriverLongSession(DriverContext&, int cycles);
