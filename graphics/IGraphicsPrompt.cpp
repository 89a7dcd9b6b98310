// IGraphics: asking the user for a parameter value (a popup menu of the parameter's value texts, or a text
// entry) and applying the answer.

#include <cctype>
#include <cstdlib>
#include <cstring>

#include "graphics/IGraphics.h"
#include "graphics/IPopupMenu.h"
#include "plugcore/IParam.h"

namespace {

// The leading decimal number of text ([space][sign]digits[.digits][e[sign]digits]), 0 when there is none.
// Only decimal notation counts: "inf", "nan" and hexadecimal forms read as 0.
double ReadLeadingDecimal(const char* text)
{
  const char* p = text;
  while (std::isspace(static_cast<unsigned char>(*p))) ++p;
  const char* start = p;
  if (*p == '+' || *p == '-') ++p;
  const char* digits = p;
  while (std::isdigit(static_cast<unsigned char>(*p))) ++p;
  bool any = p > digits;
  if (*p == '.') {
    const char* frac = ++p;
    while (std::isdigit(static_cast<unsigned char>(*p))) ++p;
    any = any || p > frac;
  }
  if (!any) return 0.0;
  if (*p == 'e' || *p == 'E') {
    const char* e = p + 1;
    if (*e == '+' || *e == '-') ++e;
    if (std::isdigit(static_cast<unsigned char>(*e))) {
      p = e;
      while (std::isdigit(static_cast<unsigned char>(*p))) ++p;
    }
  }
  char buf[64];
  const size_t len = static_cast<size_t>(p - start);
  if (len >= sizeof(buf)) return std::strtod(start, nullptr); // long but still decimal: strtod stops at its end
  std::memcpy(buf, start, len);
  buf[len] = '\0';
  return std::strtod(buf, nullptr); // an exponent too large gives +-HUGE_VAL, which the parameter clamps
}

} // namespace

void IGraphics::PromptUserInput(IControl* control, IParam* param, IRECT* rect)
{
  if (!control || !param || !rect) return;
  const int nTexts = param->GetNDisplayTexts();
  const IParam::EParamType type = param->Type();

  if (type == IParam::kTypeEnum || (type == IParam::kTypeBool && nTexts > 0)) {
    char current[IParam::kDisplayBufferSize];
    param->GetDisplayForHost(param->mValue, false, current, true);
    IPopupMenu menu;
    for (int i = 0; i < nTexts; ++i) {
      const char* text = param->GetDisplayText(i); // item i stands for the real value i
      IPopupMenuItem* item = menu.AddItem(text);
      if (item && std::strcmp(text, current) == 0) item->SetChecked(true);
    }
    IPopupMenu* chosen = CreateIPopupMenu(&menu, rect);
    if (chosen && chosen->GetChosenItemIdx() >= 0)
      control->SetValueFromUserInput(param->GetNormalized(static_cast<double>(chosen->GetChosenItemIdx())));
    return;
  }

  char current[IParam::kDisplayBufferSize];
  param->GetDisplayForHost(param->mValue, false, current, false);
  CreateTextEntry(control, control->GetText(), rect, current, param);
}

void IGraphics::SetFromStringAfterPrompt(IControl* control, IParam* param, const char* text)
{
  if (!param || !control) return;
  if (!text) text = "";
  double value = 0.0;
  const IParam::EParamType type = param->Type();
  if (type == IParam::kTypeBool || type == IParam::kTypeEnum) {
    int mapped = 0; // an unknown text selects the first value
    param->MapDisplayText(text, &mapped);
    value = mapped;
  } else {
    value = ReadLeadingDecimal(text);
    if (param->mNegateDisplay) value = -value;
  }
  control->SetValueFromUserInput(param->GetNormalized(value));
}
