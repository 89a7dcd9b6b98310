#pragma once
// The bitmap family of standard controls: a colour panel, image displays, switches, a footswitch, knobs
// drawn from a strip of frames, and an overlay panel that opens over the editor.
//
// Bitmap-backed controls take an IBitmap by value and are one frame large: (x, y, x + width,
// y + height / frames). A value maps to frame i = (int)(0.5 + value * (frames - 1)), so frame k shows
// values from (k - 0.5) / (frames - 1) to (k + 0.5) / (frames - 1). Every change a user makes goes through
// SetDirty(true), which clamps it and sends it to the plug-in.

#include "graphics/IControl.h"

// Fills its rectangle with one colour; the editor's plain background.
class IPanelControl : public IControl
{
public:
  // A null colour fills black.
  IPanelControl(IEffectBase* plug, const IRECT& rect, const IColor* color);
  bool Draw(IGraphics* graphics) override;

protected:
  IColor mColor;
};

// Shows the frame for its value; no mouse behaviour of its own.
class IBitmapControl : public IControl
{
public:
  // A null bitmap shows nothing (an empty one-frame image).
  IBitmapControl(IEffectBase* plug, int x, int y, int paramIdx, const IBitmap* bitmap,
                 EBlendMethod blendMethod = kBlendAlpha);
  bool Draw(IGraphics* graphics) override;

protected:
  // The frame state (from 1) for the current value.
  int FrameState() const;

  IBitmap mBitmap;
};

// Steps through its frames on every press: 0, 1/(n-1), ..., 1, then back to 0.
class ISwitchControl : public IBitmapControl
{
public:
  ISwitchControl(IEffectBase* plug, int x, int y, int paramIdx, const IBitmap* bitmap,
                 EBlendMethod blendMethod = kBlendAlpha);
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  // A fast second click steps again.
  void OnMouseDblClick(int x, int y, IMouseMod* mod) override;

protected:
  void Step();
};

// An invisible area that toggles its value between 0 and 1 on every press.
class IInvisibleSwitchControl : public IControl
{
public:
  IInvisibleSwitchControl(IEffectBase* plug, const IRECT& rect, int paramIdx);
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  bool Draw(IGraphics*) override { return true; }
};

// A footswitch: a press toggles the value; the picture shows the press (frame 0 released, 1 held), not the
// value.
class IOnOffControl : public IControl
{
public:
  IOnOffControl(IEffectBase* plug, int x, int y, int paramIdx, const IBitmap* bitmap);
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  void OnMouseUp(int x, int y, IMouseMod* mod) override;
  bool Draw(IGraphics* graphics) override;

  int GetPressState() const { return mPressState; }

protected:
  int mPressState = 1; // 1 released, 2 pressed
  IBitmap mBitmap;
};

// A knob without a picture of its own: dragging changes the value. A drag over the control's whole height
// (or width) changes it by 1 / gearing, ten times less with control or shift held.
class IKnobControl : public IControl
{
public:
  IKnobControl(IEffectBase* plug, const IRECT& rect, int paramIdx, EDirection direction = kVertical,
               double gearing = 4.0);
  void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* mod) override;

protected:
  EDirection mDirection;
  double mGearing;
};

// A knob drawn from a strip of value frames.
class IKnobMultiControl : public IKnobControl
{
public:
  IKnobMultiControl(IEffectBase* plug, int x, int y, int paramIdx, const IBitmap* bitmap,
                    EDirection direction = kVertical, double gearing = 4.0);
  bool Draw(IGraphics* graphics) override;

protected:
  IBitmap mBitmap;
};

// A panel that opens when its small target area is clicked and closes when the open panel is clicked.
// While closed it draws nothing and only the target area is hit.
class IBitmapOverlayControl : public ISwitchControl
{
public:
  IBitmapOverlayControl(IEffectBase* plug, int x, int y, int paramIdx, const IBitmap* bitmap, const IRECT& targetArea);
  bool Draw(IGraphics* graphics) override;

protected:
  IRECT mTargetArea;
};

// The frame state (from 1) for value over a strip of frames frames: (int)(0.5 + value * (frames - 1)) + 1,
// held within 1..frames (also for values outside 0..1 and NaN).
int IBitmapFrameState(double value, int frames);
