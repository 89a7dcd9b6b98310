#pragma once
// IControl: the base of every element of the editor. A control is a rectangle on the editor's canvas,
// optionally bound to one plug-in parameter whose value it holds in normalized form (0..1); it draws
// itself and reacts to the mouse.
//
// Values travel two ways. A value from the plug-in (SetValueFromPlug: the host or a preset changed the
// parameter) only redraws the control. A value the user makes goes through SetDirty(true), which clamps
// it, marks the control for drawing and sends it to the plug-in (and so to the host).
//
// The editor (IGraphics) owns its controls: create them with new and hand them to AttachControl. Every
// operation runs on the editor's user-interface thread.

#include "containers/Core_TypedBuf.h"
#include "graphics/IGraphicsTypes.h"

class IEffectBase;
class IGraphics;
class ITextControl;

class IControl
{
public:
  struct AuxParam
  {
    double mValue;
    int mParamIdx;
  };

  // paramIdx -1 binds the control to no parameter.
  IControl(IEffectBase* plug, const IRECT& rect, int paramIdx = -1, EBlendMethod blendMethod = kBlendAlpha);
  virtual ~IControl();

  IControl(const IControl&) = delete;
  IControl& operator=(const IControl&) = delete;

  // ---- Virtual operations, in slot order ----

  // A right click prompts for a value (when prompting is enabled).
  virtual void OnMouseDown(int x, int y, IMouseMod* mod);
  virtual void OnMouseUp(int x, int y, IMouseMod* mod);
  // dX, dY: movement since the previous drag event.
  virtual void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* mod);
  // Restores the default value, once one is known.
  virtual void OnMouseDblClick(int x, int y, IMouseMod* mod);
  // d steps of 0.01, or of 0.001 with control or shift held; nothing without a parameter.
  virtual void OnMouseWheel(int x, int y, IMouseMod* mod, int d);
  virtual bool OnKeyDown(int x, int y, int key);
  virtual void OnMouseOver(int x, int y, IMouseMod* mod);
  virtual void OnMouseOut();
  // Paints inside mRect only (the editor relies on it to repaint neighbours) and returns true.
  virtual bool Draw(IGraphics* graphics) = 0;
  // The first value becomes the double-click default. A NaN is ignored: it says nothing about the value.
  virtual void SetValueFromPlug(double value);
  virtual void TextFromTextEntry(const char* text);
  virtual void Hide(bool hide);
  virtual void GrayOut(bool gray);
  virtual bool IsHit(int x, int y);
  // Clamps mValue (a NaN becomes mClampLo), marks the control dirty and, when asked, sends the value to the
  // plug-in and updates the value and name displays.
  virtual void SetDirty(bool pushParamToPlug = true);
  virtual void SetClean();
  virtual bool IsDirty();
  virtual void OnGUIIdle();
  virtual void SetAuxParamValueFromPlug(int auxParamIdx, double value);

  // ---- Non-virtual operations ----

  // As if the user had moved the control: the value also goes to the plug-in. A NaN is ignored.
  void SetValueFromUserInput(double value);
  // Asks the editor for a popup menu or text entry for the bound parameter.
  void PromptUserInput();
  void PromptUserInput(IRECT* rect);

  // No bounds check: pass a valid position.
  AuxParam* GetAuxParam(int auxParamIdx) { return mAuxParams.Get() + auxParamIdx; }
  // Position of the first auxiliary record bound to paramIdx, or -1.
  int AuxParamIdx(int paramIdx) const;
  void AddAuxParam(int paramIdx);
  int NAuxParams() const { return mAuxParams.GetSize(); }
  void SetAllAuxParamsFromGUI();

  // ---- Accessors ----

  IEffectBase* GetPlug() const { return mPlug; }
  int ParamIdx() const { return mParamIdx; }
  void SetParamIdx(int paramIdx) { mParamIdx = paramIdx; }
  double GetValue() const { return mValue; }
  void SetValue(double value) { mValue = value; }
  double GetDefaultValue() const { return mDefaultValue; }
  void SetDefaultValue(double value) { mDefaultValue = value; }
  double GetClampLo() const { return mClampLo; }
  double GetClampHi() const { return mClampHi; }
  // Takes effect at the next SetDirty.
  void Clamp(double lo, double hi)
  {
    mClampLo = lo;
    mClampHi = hi;
  }
  const IRECT* GetRECT() const { return &mRect; }
  void SetRECT(const IRECT& rect) { mRect = rect; }
  const IRECT* GetHitRECT() const { return &mHitRect; }
  void SetHitRECT(const IRECT& rect) { mHitRect = rect; }
  IText* GetText() { return &mText; }
  void SetText(const IText& text) { mText = text; }
  int GetTextEntryLength() const { return mEntryLength; }
  void SetTextEntryLength(int len) { mEntryLength = len; }
  const IChannelBlend* GetBlend() const { return &mBlend; }

  bool IsHidden() const { return mHide; }
  bool IsGrayed() const { return mGrayed; }
  bool GetRedraw() const { return mRedraw; }
  void SetRedraw(bool redraw) { mRedraw = redraw; }
  bool GetPromptDisabled() const { return mDisablePrompt; }
  void DisablePrompt(bool disable) { mDisablePrompt = disable; }
  bool GetDblAsSingleClick() const { return mDblAsSingleClick; }
  void SetDblAsSingleClick(bool single) { mDblAsSingleClick = single; }
  bool GetMOWhenGrayed() const { return mMouseOverWhenGrayed; }
  void SetMOWhenGrayed(bool allow) { mMouseOverWhenGrayed = allow; }

  const char* GetTooltip() const { return mTooltip; }
  void SetTooltip(const char* tooltip) { mTooltip = tooltip; }

  // The displays are not owned; they must live as long as this control (attach them to the same editor).
  ITextControl* GetValueDisplayControl() const { return mValueDisplay; }
  void SetValueDisplayControl(ITextControl* control) { mValueDisplay = control; }
  ITextControl* GetNameDisplayControl() const { return mNameDisplay; }
  void SetNameDisplayControl(ITextControl* control) { mNameDisplay = control; }

protected:
  int mEntryLength = 32; // characters a text entry for this control accepts
  IText mText;
  IEffectBase* mPlug;
  IRECT mRect;    // drawing rectangle
  IRECT mHitRect; // mouse target rectangle
  int mParamIdx;
  Core_TypedBuf<AuxParam> mAuxParams;
  double mValue = 0.0;
  double mDefaultValue = -1.0; // -1: not known yet
  double mClampLo = 0.0;
  double mClampHi = 1.0;
  bool mDirty = true;
  bool mHide = false;
  bool mGrayed = false;
  bool mRedraw = false; // stay dirty for one more drawing pass
  bool mDisablePrompt = true;
  bool mDblAsSingleClick = false;
  bool mMouseOverWhenGrayed = false;
  IChannelBlend mBlend;
  ITextControl* mValueDisplay = nullptr;
  ITextControl* mNameDisplay = nullptr;
  const char* mTooltip = nullptr; // not owned
};
