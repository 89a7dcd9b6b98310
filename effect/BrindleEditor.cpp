// The editor half of the Brindle constructor, and MakeGraphics.
#include "effect/BrindleEditor.h"

#include "effect/Brindle.h"
#include "graphics/IBitmapControls.h"
#include "graphics/mac/IGraphicsMac.h"

const char* const kBrindleBackgroundFile = "resources/img/background.png";
const char* const kBrindleLedFile = "resources/img/brindle_led.png";
const char* const kBrindleSwitch01File = "resources/img/brindle_switch_01.png";
const char* const kBrindleSwitch02File = "resources/img/brindle_switch_02.png";
const char* const kBrindleKnobFile = "resources/img/brindle_knob_01.png";
const char* const kBrindleAboutFile = "resources/img/brindle_about.png";

IGraphicsMac* MakeGraphics(IEffectAU* plug, int width, int height, int frameRate)
{
  IGraphicsMac* graphics = new IGraphicsMac(plug, width, height, frameRate);
  graphics->SetBundleID(plug->GetBundleID());
  return graphics;
}

void Brindle::AttachEditor()
{
  IGraphicsMac* graphics = new IGraphicsMac(this, kBrindleEditorWidth, kBrindleEditorHeight, 0);
  graphics->SetBundleID(GetBundleID());
  graphics->AttachBackground(kBrindleBackgroundId, kBrindleBackgroundFile);

  IBitmap lamp = graphics->LoadIBitmap(kBrindleLedId, kBrindleLedFile, 2);
  SetLampControlIdx(graphics->AttachControl(new IBitmapControl(this, 91, 15, -1, &lamp, kBlendAlpha)));

  IBitmap cabinet = graphics->LoadIBitmap(kBrindleSwitch01Id, kBrindleSwitch01File, 2);
  graphics->AttachControl(new ISwitchControl(this, 80, 61, kCabinet, &cabinet, kBlendAlpha));

  IBitmap footswitch = graphics->LoadIBitmap(kBrindleSwitch02Id, kBrindleSwitch02File, 2);
  graphics->AttachControl(new IOnOffControl(this, 80, 172, kEffect, &footswitch));

  IBitmap knob = graphics->LoadIBitmap(kBrindleKnobId, kBrindleKnobFile, 65);
  graphics->AttachControl(new IKnobMultiControl(this, 18, 86, kLevel, &knob, kVertical, 4.0));
  graphics->AttachControl(new IKnobMultiControl(this, 115, 86, kAttack, &knob, kVertical, 4.0));

  IBitmap about = graphics->LoadIBitmap(kBrindleAboutId, kBrindleAboutFile, 1);
  IRECT aboutTarget(10, 35, 80, 55);
  graphics->AttachControl(new IBitmapOverlayControl(this, 5, 156, -1, &about, aboutTarget));

  // From here on the plug-in owns the editor.
  AttachGraphics(graphics);
}
