// The checks of `brindle validate` in the order they run, with the strictness level of each.
#include "tools/validate/ValidateChecks.h"

std::vector<ValidateCheck> ValidateCheckTable()
{
  // Level: 1 what every host reads, 3 rendering at the common rates, 5 (the default) what the
  // strict host validators check in a normal run, 7 hostile values and threads, 9 real-time
  // safety and the editor, 10 long sessions. The last column runs the line through a plug-in
  // driver (CLAP, VST3, LV2).
  std::vector<ValidateCheck> table = {
      {"open and close times", CheckOpenCloseTimes, 0, 1, DriverOpenCloseTimes},
      {"100 open/close cycles", CheckRepeatedOpenClose, 100, 2, DriverRepeatedOpenClose},
  };
  const std::vector<std::string> properties = RequiredPropertyNames();
  for (size_t i = 0; i < properties.size(); ++i)
    table.push_back({"property " + properties[i], CheckRequiredProperty, static_cast<int>(i), 1});
  const std::vector<ValidateCheck> rest = {
      {"parameter info", CheckParameterInfo, 0, 1, DriverParameterInfo},
      {"parameter value strings", CheckParameterValueStrings, 0, 2, DriverParameterValueStrings, true},
      {"parameter set and read back (minimum, maximum, default, random, clamped)", CheckParameterSetAndReadBack, 0, 2,
       DriverParameterSetAndReadBack},
      {"parameter text -> value -> text", CheckParameterTextRoundTrip, 0, 2, DriverParameterTextRoundTrip, true},
      {"writable flag of every automatable parameter", CheckWritableFlags, 0, 2},
      {"channel configurations: reported accepted, others refused", CheckChannelConfigurations, 0, 2},
      {"render at 11025 Hz (1, 64, 137, 512, 4096 frames)", CheckRenderAtRate, 11025, 4, DriverRenderAtRate},
      {"render at 22050 Hz (1, 64, 137, 512, 4096 frames)", CheckRenderAtRate, 22050, 4, DriverRenderAtRate},
      {"render at 44100 Hz (1, 64, 137, 512, 4096 frames)", CheckRenderAtRate, 44100, 3, DriverRenderAtRate},
      {"render at 48000 Hz (1, 64, 137, 512, 4096 frames)", CheckRenderAtRate, 48000, 3, DriverRenderAtRate},
      {"render at 96000 Hz (1, 64, 137, 512, 4096 frames)", CheckRenderAtRate, 96000, 4, DriverRenderAtRate},
      {"render at 192000 Hz (1, 64, 137, 512, 4096 frames)", CheckRenderAtRate, 192000, 4, DriverRenderAtRate},
      {"render one frame above the maximum refused", CheckOversizeRenderRefused, 0, 3, DriverOversizeRenderRefused},
      {"bypass", CheckBypass, 0, 3},
      {"reset", CheckReset, 0, 3, DriverReset},
      {"state round trip (identical data, identical audio)", CheckStateRoundTrip, 0, 4, DriverStateRoundTrip},
      {"state of another component refused", CheckForeignStateRefused, 0, 4, DriverForeignStateRefused},
      {"factory presets: selected, read back, named in the class info", CheckFactoryPresets, 0, 4},
      {"every format read back after it is set", CheckFormatsReadBack, 0, 5},
      {"every readable property", CheckEveryReadableProperty, 0, 5},
      {"property listeners hear changes", CheckPropertyListeners, 0, 5},
      {"render notifiers before and after", CheckRenderNotifiers, 0, 5},
      {"two renders at one sample time pull input once", CheckPullOncePerSampleTime, 0, 5},
      {"output buffers without memory are filled", CheckNullOutputBuffers, 0, 5},
      {"noise in, no NaN, infinity or denormal out", CheckNoiseOutputClean, 0, 5, DriverNoiseOutputClean},
      {"input from an upstream unit through a connection, fast dispatch included", CheckUpstreamConnection, 0, 6},
      {"reconfigure a live instance (rate, mono and stereo) and render", CheckReconfigureLiveInstance, 0, 6,
       DriverReconfigureLiveInstance},
      {"NaN, infinite and out-of-range parameter values", CheckHostileParameterValues, 0, 7,
       DriverHostileParameterValues},
      {"state dictionaries of random bytes", CheckRandomStateDictionaries, 0, 7, DriverRandomStates},
      {"render thread and parameter thread at once", CheckRenderWhileSettingParameters, 0, 7,
       DriverRenderWhileReadingParameters},
      {"real-time safety through the entry (1000 renders)", CheckRealtimeSafety, 0, 8, DriverRealtimeSafety},
      {"real-time safety through fast dispatch (1000 renders)", CheckRealtimeSafety, 1, 8},
      {"editor opened and closed through the Cocoa view (20 times), gestures from a control drag", CheckEditorOpenClose,
       20, 9},
      {"1000 open/initialize/render/close cycles", CheckLongSession, 1000, 10, DriverLongSession},
  };
  table.insert(table.end(), rest.begin(), rest.end());
  return table;
}

std::vector<ValidateCheck> ValidateCheckTable(int level)
{
  std::vector<ValidateCheck> table;
  for (ValidateCheck& check : ValidateCheckTable())
    if (check.level <= level) table.push_back(std::move(check));
  return table;
}
