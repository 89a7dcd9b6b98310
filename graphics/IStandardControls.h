#pragma once
// The vector and special members of the standard control family: momentary and push buttons, radio
// buttons, a fader, knobs drawn as a line, a rotated image or a rotated mask, an invisible value picker,
// and buttons that open a web page or a file prompt through the editor's platform host.
//
// They follow the bitmap family's rules (IBitmapControls.h): frame states count from 1 and every change a
// user makes goes through SetDirty(true). Angles are radians (degrees for IKnobRotatingMaskControl),
// 0 pointing up and growing clockwise.

#include "containers/Core_String.h"
#include "graphics/IBitmapControls.h"
#include "plugcore/IEditorDelegate.h"

// A momentary switch: the press steps like ISwitchControl, the release sets the value back to 0.
class IContactControl : public ISwitchControl
{
public:
  using ISwitchControl::ISwitchControl;
  void OnMouseUp(int x, int y, IMouseMod* mod) override;
};

// A push button showing its press (frame 0 up, frame 1 down); the release toggles the value.
class IButtonSwitchControl : public IBitmapControl
{
public:
  using IBitmapControl::IBitmapControl;
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  void OnMouseUp(int x, int y, IMouseMod* mod) override;
  void OnMouseDblClick(int x, int y, IMouseMod* mod) override { OnMouseDown(x, y, mod); }
  bool Draw(IGraphics* graphics) override;

  bool IsPressed() const { return mPressed; }

protected:
  bool mPressed = false;
};

// nButtons buttons (each one frame of a two-frame image: off, on) spread over the rectangle with equal
// gaps, flush with both ends; with reverse the first button sits at the far (bottom or right) end.
class IRadioButtonsControl : public IControl
{
public:
  IRadioButtonsControl(IEffectBase* plug, const IRECT& rect, int paramIdx, int nButtons, const IBitmap* bitmap,
                       EDirection direction = kVertical, bool reverse = false);
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  bool Draw(IGraphics* graphics) override;

  int NButtons() const { return mButtons.GetSize(); }
  const IRECT& ButtonRect(int i) const { return mButtons.Get()[i]; }
  // The button shown on: (int)(0.5 + value * (nButtons - 1)), held in range.
  int ActiveButton() const;

protected:
  Core_TypedBuf<IRECT> mButtons;
  IBitmap mBitmap;
};

// A handle sliding along a track of len pixels; press and drag put the handle's centre under the pointer.
class IFaderControl : public IControl
{
public:
  IFaderControl(IEffectBase* plug, int x, int y, int len, int paramIdx, const IBitmap* handle,
                EDirection direction = kVertical, bool onlyHandle = false);
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* mod) override;
  bool Draw(IGraphics* graphics) override;
  bool IsHit(int x, int y) override;

  // Where the handle is drawn for the current value.
  IRECT HandleRect() const;

protected:
  void SnapTo(int x, int y);
  int HandleSize() const;

  int mLen;
  IBitmap mHandle;
  EDirection mDirection;
  bool mOnlyHandle;
};

// A knob drawn as an anti-aliased line from innerRadius to outerRadius (0: half the width) around the
// rectangle's centre, at minAngle + value * (maxAngle - minAngle).
class IKnobLineControl : public IKnobControl
{
public:
  IKnobLineControl(IEffectBase* plug, const IRECT& rect, int paramIdx, const IColor* color, double innerRadius = 0.0,
                   double outerRadius = 0.0, double minAngle = -0.75 * 3.14159265358979323846,
                   double maxAngle = 0.75 * 3.14159265358979323846, EDirection direction = kVertical,
                   double gearing = 4.0);
  bool Draw(IGraphics* graphics) override;

protected:
  IColor mColor;
  float mInnerRadius, mOuterRadius;
  double mMinAngle, mMaxAngle;
};

// A knob drawn as its whole image turned about the rectangle's centre.
class IKnobRotaterControl : public IKnobControl
{
public:
  IKnobRotaterControl(IEffectBase* plug, int x, int y, int paramIdx, const IBitmap* bitmap,
                      double minAngle = -0.75 * 3.14159265358979323846, double maxAngle = 0.75 * 3.14159265358979323846,
                      int yOffsetZeroDeg = 0, EDirection direction = kVertical, double gearing = 4.0);
  bool Draw(IGraphics* graphics) override;

protected:
  IBitmap mBitmap;
  double mMinAngle, mMaxAngle;
  int mYOffset;
};

// A knob composed from a base image, a mask added under the turn and a top image turned with it.
class IKnobRotatingMaskControl : public IKnobControl
{
public:
  IKnobRotatingMaskControl(IEffectBase* plug, int x, int y, int paramIdx, const IBitmap* base, const IBitmap* mask,
                           const IBitmap* top, double minAngleDegrees = -135.0, double maxAngleDegrees = 135.0,
                           EDirection direction = kVertical, double gearing = 4.0);
  bool Draw(IGraphics* graphics) override;

protected:
  IBitmap mBase, mMask, mTop;
  double mMinAngle, mMaxAngle; // degrees
};

// An invisible area whose release sets the value to the pointer's height within it (0 at the top).
class IInvisibleSelectControl : public IControl
{
public:
  IInvisibleSelectControl(IEffectBase* plug, const IRECT& rect, int paramIdx);
  void OnMouseUp(int x, int y, IMouseMod* mod) override;
  bool Draw(IGraphics*) override { return true; }
};

// An invisible area that opens a web page; the backup address is tried when the first one fails.
class IURLControl : public IControl
{
public:
  static constexpr int kTextSize = 512;

  // Null texts read as empty; longer ones are cut to kTextSize - 1 characters.
  IURLControl(IEffectBase* plug, const IRECT& rect, const char* url, const char* backupURL = nullptr,
              const char* errMsgOnFailure = nullptr);
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  bool Draw(IGraphics*) override { return true; }

protected:
  char mURL[kTextSize], mBackupURL[kTextSize], mErrMsg[kTextSize];
};

// A button that asks for a file. Its image's first frame shows while the prompt is open; every prompt
// steps the value (0, 1, 0, ...) so the plug-in hears of it, and the chosen path is kept for the plug-in.
class IFileSelectorControl : public IControl
{
public:
  enum EFileSelectorState { kFSNone, kFSSelecting, kFSDone };

  IFileSelectorControl(IEffectBase* plug, const IRECT& rect, int paramIdx, const IBitmap* bitmap, EFileAction action,
                       const char* dir = "", const char* extensions = "");
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  bool Draw(IGraphics* graphics) override;
  // Also true once after a prompt ended.
  bool IsDirty() override;

  void GetLastSelectedFileForPlug(Core_String* path) const;
  void SetLastSelectedFileFromPlug(const char* path);
  EFileSelectorState GetState() const { return mState; }

protected:
  IBitmap mBitmap;
  Core_String mFile, mDir, mExtensions;
  EFileAction mAction;
  EFileSelectorState mState = kFSNone;
};
