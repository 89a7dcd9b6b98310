// PluginDriver: what the shared checks of `brindle validate` need from a plug-in, whatever its
// format. A driver is a loaded module; each PluginInstance is one plug-in made from it, driven the
// way that format's hosts drive it. Values are in the format's own units (CLAP: the parameter's
// plain range; VST3: normalized 0..1), so a check reads the range from the parameter list.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct DriverParameter
{
  std::uint32_t id = 0;
  std::string name;
  double minimum = 0, maximum = 1, defaultValue = 0;
  bool stepped = false;  // whole steps only
  bool readOnly = false; // the host may not set it
};

// A parameter change delivered with a render, at a frame of the block.
struct ParameterChange
{
  std::uint32_t id;
  double value;
  int frame;
};

class PluginInstance
{
public:
  virtual ~PluginInstance() = default;

  virtual std::vector<DriverParameter> Parameters() = 0;
  virtual bool GetValue(std::uint32_t id, double& value) = 0;
  // From the main thread; while prepared the driver delivers it the way the format requires.
  virtual bool SetValue(std::uint32_t id, double value) = 0;
  virtual bool ValueToText(std::uint32_t id, double value, std::string& text) = 0;
  virtual bool TextToValue(std::uint32_t id, const std::string& text, double& value) = 0;

  // Readies the instance for rendering at `rate` in blocks of up to maxFrames (again: a
  // reconfiguration); false with the reason. The driver hands two channels; a mono plug-in renders
  // the first.
  virtual bool Prepare(double rate, int maxFrames, std::string& error) = 0;
  virtual void Unprepare() = 0;
  // One block of two channels; changes (in frame order) reach the plug-in with it. Does not
  // allocate in the driver. False when the plug-in refuses the block.
  virtual bool Render(const float* const* in, float* const* out, int frames, const ParameterChange* changes,
                      int changeCount) = 0;
  virtual bool Reset() = 0;

  virtual bool SaveState(std::vector<unsigned char>& bytes) = 0;
  virtual bool LoadState(const std::vector<unsigned char>& bytes) = 0;
};

class PluginDriver
{
public:
  virtual ~PluginDriver() = default;
  virtual const char* Format() const = 0; // "CLAP", "VST3", "LV2"
  // Whether the format turns values into text and back (LV2 does not: those checks do not apply).
  virtual bool HasValueText() const { return true; }
  virtual std::string PluginName() const = 0;
  virtual std::string PluginId() const = 0;
  // A new instance, or null with the reason.
  virtual std::unique_ptr<PluginInstance> Create(std::string& error) = 0;
};

// The driver for the plug-in module at path: a CLAP module (a file exporting clap_entry), a VST3
// bundle or an LV2 bundle. `plugin` picks one of several plug-ins by id (LV2: the URI; empty: the
// stereo one, else the first).
// Null with a one-line reason when path is neither, or does not load. recognised tells whether the
// path looked like one of these formats at all (false: try it as a component).
std::unique_ptr<PluginDriver> OpenPluginDriver(const std::string& path, const std::string& plugin, bool& recognised,
                                               std::string& error);
std::unique_ptr<PluginDriver> OpenClapDriver(const std::string& path, const std::string& plugin, std::string& error);
std::unique_ptr<PluginDriver> OpenVst3Driver(const std::string& path, const std::string& plugin, std::string& error);
std::unique_ptr<PluginDriver> OpenLv2Driver(const std::string& path, const std::string& plugin, std::string& error);
