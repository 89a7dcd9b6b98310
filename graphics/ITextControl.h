#pragma once
// The text family of standard controls. ITextControl shows one line of text in its text style; it is also
// what a control's value and name displays are: when the user changes a bound parameter, the control writes
// the parameter's value text (or name) into its display controls through SetTextFromPlug.
//
// The others build on it: a text the user types (IUserTextControl, IEditableTextControl, through the
// editor host's text entry), a parameter's value text (ICaptionControl), a value stepped by dragging or
// the wheel (ISpinnerControl), and text drawn from a bitmap font (IBitmapTextControl).

#include "containers/Core_String.h"
#include "graphics/IBitmapControls.h"
#include "graphics/IControl.h"

class IParam;

class ITextControl : public IControl
{
public:
  // A null style keeps the IText defaults; a null str shows nothing.
  ITextControl(IEffectBase* plug, const IRECT& rect, const IText* text, const char* str = "");

  // Draws mStr in mText over mRect, when there is text.
  bool Draw(IGraphics* graphics) override;

  // Replaces the text and marks the control dirty, only when the text differs.
  void SetTextFromPlug(const char* str);
  const char* GetTextString() const { return mStr.Get(); }
  // Whether the shown text is exactly str (null reads as "").
  bool HasText(const char* str) const;

protected:
  ITextControl(IEffectBase* plug, const IRECT& rect, int paramIdx, const IText* text, const char* str);

  Core_String mStr;
};

// Text the user replaces by clicking it: the editor host opens a text entry with the current text.
class IUserTextControl : public ITextControl
{
public:
  using ITextControl::ITextControl;
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  void TextFromTextEntry(const char* text) override;
};

// A parameter's value text, with its label when showParamLabel. A press or double click prompts for a
// value once prompting is enabled (DisablePrompt(false)).
class ICaptionControl : public ITextControl
{
public:
  ICaptionControl(IEffectBase* plug, const IRECT& rect, int paramIdx, const IText* text, bool showParamLabel = true);
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  void OnMouseDblClick(int x, int y, IMouseMod* mod) override;
  bool Draw(IGraphics* graphics) override;

protected:
  bool mShowParamLabel;
};

// A text field: editable makes a press open a text entry; showAsPassword draws one '*' per character.
class IEditableTextControl : public ITextControl
{
public:
  IEditableTextControl(IEffectBase* plug, const IRECT& rect, const IText* text, const char* str, bool editable = true,
                       bool showAsPassword = false);
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  void TextFromTextEntry(const char* text) override;
  bool Draw(IGraphics* graphics) override;
  // Null gives a background with alpha 0 (none is drawn).
  void SetBGColor(const IColor* color) { mBGColor = color ? *color : COLOR_TRANSPARENT; }

protected:
  IColor mBGColor = COLOR_TRANSPARENT;
  bool mShowAsPassword;
};

// A value changed by dragging (as a knob, without fine adjustment) or by the wheel in the parameter's
// steps, shown as its value text and label. Unbound, it shows ownParam (not owned), set from its value.
class ISpinnerControl : public ITextControl
{
public:
  ISpinnerControl(IEffectBase* plug, const IRECT& rect, int paramIdx, const IText* text, IParam* ownParam = nullptr,
                  bool showValue = true, bool showLabel = true, EDirection direction = kVertical, double gearing = 4.0);
  void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* mod) override;
  void OnMouseWheel(int x, int y, IMouseMod* mod, int d) override;
  bool Draw(IGraphics* graphics) override;

protected:
  IParam* ShownParam() const;

  IParam* mOwnParam;
  bool mShowValue, mShowLabel;
  EDirection mDirection;
  double mGearing;
};

// Text drawn from a bitmap font (frame k shows character 32 + k) in cells of charWidth x charHeight,
// one line, centred vertically.
class IBitmapTextControl : public IBitmapControl
{
public:
  IBitmapTextControl(IEffectBase* plug, const IRECT& rect, const IBitmap* font, const char* str = "",
                     const IText* text = nullptr, int charWidth = 6, int charHeight = 12, int charSpacing = 0);
  bool Draw(IGraphics* graphics) override;
  void SetTextFromPlug(const char* str);
  const char* GetTextString() const { return mStr.Get(); }

protected:
  Core_String mStr;
  int mCharWidth, mCharHeight, mCharSpacing;
};
