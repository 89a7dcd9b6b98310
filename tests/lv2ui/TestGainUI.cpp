#include "tests/lv2ui/TestGainUI.h"

#include <cmath>

#include "graphics/IBitmapControls.h"
#include "graphics/mac/IGraphicsMac.h"

TestGainUI::TestGainUI(InstanceInfo info)
    : IEffectLV2UIPlug(info, kNumParams, "1-1 2-2", 1, "TestGain", "", "tallowby", 0x00010000, 0x74676e31, 0x51786c6f,
                       0, false, false, false, 0)
{
  GetParam(kGain)->InitDouble("Gain", 1.0, 0.0, 2.0, 0.01);
  GetParam(kMute)->InitEnum("Mute", 0, 2);
  GetParam(kMute)->SetDisplayText(0, "Off");
  GetParam(kMute)->SetDisplayText(1, "On");
  MakeDefaultPreset("Init", 1);

  IGraphicsMac* graphics = new IGraphicsMac(this, 208, 326, 0);
  graphics->SetBundleID(GetBundleID());
  graphics->AttachBackground(1, "background.png");
  IBitmap lamp = graphics->LoadIBitmap(2, "brindle_led.png", 2);
  mLampControlIdx = graphics->AttachControl(new IBitmapControl(this, 91, 15, -1, &lamp, kBlendAlpha));
  IBitmap footswitch = graphics->LoadIBitmap(3, "brindle_switch_02.png", 2);
  graphics->AttachControl(new IOnOffControl(this, 80, 172, kMute, &footswitch));
  IBitmap knob = graphics->LoadIBitmap(4, "brindle_knob_01.png", 65);
  graphics->AttachControl(new IKnobMultiControl(this, 18, 86, kGain, &knob, kVertical, 4.0));
  AttachGraphics(graphics); // the plug-in owns the editor from here on
}

void TestGainUI::OnParamChange(int paramIdx)
{
  Core_MutexLock lock(mMutex);
  if (paramIdx == kMute) ShowControlValueInEditor(mLampControlIdx, GetParam(kMute)->Value() >= 0.5 ? 1.0 : 0.0);
}
