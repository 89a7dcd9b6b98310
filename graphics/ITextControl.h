#pragma once
// ITextControl: a control that shows one line of text in its text style. It is also what a control's value
// and name displays are: when the user changes a bound parameter, the control writes the parameter's value
// text (or name) into its display controls through SetTextFromPlug.

#include "containers/Core_String.h"
#include "graphics/IControl.h"

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
  Core_String mStr;
};
