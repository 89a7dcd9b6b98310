// HostStrip: the pedal's own strip under the editor: Open and Save buttons for presets, the input and
// output levels, the audio thread's CPU load, the xrun count and a line of news (the latency, or
// what the last preset action did). An NSView drawn with the drawing-context layer, so it looks the
// same in the real window and in a snapshot.
#pragma once

#include <AppKit/AppKit.h>

#include <functional>
#include <string>

struct StripStatus
{
  float inputPeak = 0.0f;  // linear, since the last update
  float outputPeak = 0.0f; // linear
  float cpuLoad = 0.0f;    // percent
  long xruns = 0;
  std::string news;
};

class HostStrip : public NSView
{
public:
  static constexpr int kHeight = 68;
  NS_DECLARE_ALLOC(HostStrip)
  const char* className() const override { return "HostStrip"; }

  // The buttons' actions (main thread, from mouseDown).
  std::function<void()> onOpen, onSave;

  void Update(const StripStatus& status);
  const StripStatus& Status() const { return mStatus; }

  void drawRect(NSRect dirtyRect) override;
  void mouseDown(NSEvent* event) override;
  BOOL isOpaque() override { return YES; }

  // Where the buttons are, in strip pixels (origin top left).
  static constexpr int kButtonTop = 4, kButtonHeight = 18, kOpenLeft = 4, kSaveLeft = 50, kButtonWidth = 42;

private:
  StripStatus mStatus;
  float mInputMeter = -60.0f, mOutputMeter = -60.0f; // shown, in dB with a falling hold
};
