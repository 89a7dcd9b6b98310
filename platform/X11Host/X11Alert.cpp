// Alerts: a window of our own with the header, the message and up to three buttons.
#include <X11Host/X11Canvas.h>

#include <X11/keysym.h>

#include <algorithm>

namespace BrindleHost {

namespace {

const int kWidth = 400, kMargin = 16, kLine = 18, kButtonHeight = 26, kButtonGap = 8;

// Words laid into lines no wider than `width`; line feeds in the text start new lines.
std::vector<std::string> Wrap(const std::string& text, int width, bool bold)
{
  std::vector<std::string> lines;
  size_t start = 0;
  while (start <= text.size()) {
    const size_t end = std::min(text.find('\n', start), text.size());
    const std::string paragraph = text.substr(start, end - start);
    std::string line;
    size_t i = 0;
    while (i < paragraph.size()) {
      const size_t space = std::min(paragraph.find(' ', i), paragraph.size());
      const std::string word = paragraph.substr(i, space - i);
      const std::string joined = line.empty() ? word : line + " " + word;
      if (!line.empty() && X11Canvas::MeasureText(joined, bold) > width) {
        lines.push_back(line);
        line = word;
      } else {
        line = joined;
      }
      i = space + 1;
    }
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

struct Button
{
  std::string mTitle;
  CFOptionFlags mResponse;
  RECT mRect;
};

} // namespace

CFOptionFlags X11Backend::RunAlert(const BrindleHost_Alert& alert)
{
  const std::string header = alert.header ? alert.header : "";
  const std::vector<std::string> headerLines = Wrap(header, kWidth - 2 * kMargin, true);
  const std::vector<std::string> messageLines = Wrap(alert.message ? alert.message : "", kWidth - 2 * kMargin, false);
  const int height =
      kMargin + static_cast<int>(headerLines.size() + messageLines.size()) * kLine + 12 + kButtonHeight + kMargin;

  // The default button on the right, the alternate to its left, the other one at the far left.
  std::vector<Button> buttons;
  const int top = height - kMargin - kButtonHeight;
  int right = kWidth - kMargin;
  auto add = [&](const char* title, CFOptionFlags response, bool left) {
    const int w = std::max(80, X11Canvas::MeasureText(title) + 24);
    RECT r =
        left ? RECT{kMargin, top, kMargin + w, top + kButtonHeight} : RECT{right - w, top, right, top + kButtonHeight};
    if (!left) right -= w + kButtonGap;
    buttons.push_back({title, response, r});
  };
  add(alert.defaultButton ? alert.defaultButton : "OK", kCFUserNotificationDefaultResponse, false);
  if (alert.alternateButton) add(alert.alternateButton, kCFUserNotificationAlternateResponse, false);
  if (alert.otherButton) add(alert.otherButton, kCFUserNotificationOtherResponse, true);

  const CGSize screen = DisplaySize();
  X11Canvas canvas(*this, (static_cast<int>(screen.width) - kWidth) / 2, (static_cast<int>(screen.height) - height) / 3,
                   kWidth, height, false, header.empty() ? mOptions.mTitle : header);
  int pressed = -1;
  auto draw = [&]() {
    canvas.Fill({0, 0, kWidth, height}, kPanelColour);
    int y = kMargin;
    for (const std::string& line : headerLines) {
      canvas.Text({kMargin, y, kWidth - kMargin, y + kLine}, line, kTextColour, TEXT_SINGLELINE | TEXT_VCENTER, true);
      y += kLine;
    }
    for (const std::string& line : messageLines) {
      canvas.Text({kMargin, y, kWidth - kMargin, y + kLine}, line, kTextColour, TEXT_SINGLELINE | TEXT_VCENTER);
      y += kLine;
    }
    for (size_t i = 0; i < buttons.size(); ++i) {
      const Button& b = buttons[i];
      const bool isDefault = b.mResponse == kCFUserNotificationDefaultResponse;
      const bool down = static_cast<int>(i) == pressed;
      canvas.Fill(b.mRect, down ? kHighlightColour : isDefault ? GDI_RGB(210, 225, 250) : kFieldColour);
      canvas.Frame(b.mRect, isDefault ? kHighlightColour : kEdgeColour);
      canvas.Text(b.mRect, b.mTitle, down ? GDI_RGB(255, 255, 255) : kTextColour,
                  TEXT_SINGLELINE | TEXT_VCENTER | TEXT_CENTER);
    }
    canvas.Present();
  };
  auto buttonAt = [&](int x, int y) {
    for (size_t i = 0; i < buttons.size(); ++i)
      if (x >= buttons[i].mRect.left && x < buttons[i].mRect.right && y >= buttons[i].mRect.top &&
          y < buttons[i].mRect.bottom)
        return static_cast<int>(i);
    return -1;
  };

  canvas.Map();
  // Closing the window, Escape or an interrupted wait answer as a cancelled alert does.
  CFOptionFlags response = kCFUserNotificationCancelResponse;
  for (bool done = false; !done;) {
    XEvent e;
    if (!NextModalEvent({canvas.XWindow()}, &e)) break;
    switch (e.type) {
    case Expose:
      if (e.xexpose.count == 0) draw();
      break;
    case MapNotify:
      XSetInputFocus(mDisplay, canvas.XWindow(), RevertToParent, CurrentTime);
      break;
    case ButtonPress:
      if (e.xbutton.button == Button1) pressed = buttonAt(e.xbutton.x, e.xbutton.y), draw();
      break;
    case ButtonRelease:
      if (e.xbutton.button != Button1) break;
      if (pressed >= 0 && buttonAt(e.xbutton.x, e.xbutton.y) == pressed)
        response = buttons[static_cast<size_t>(pressed)].mResponse, done = true;
      pressed = -1;
      if (!done) draw();
      break;
    case KeyPress: {
      const KeySym key = XLookupKeysym(&e.xkey, 0);
      if (key == XK_Return || key == XK_KP_Enter)
        response = kCFUserNotificationDefaultResponse, done = true;
      else if (key == XK_Escape)
        done = true;
      break;
    }
    default:
      if (IsCloseRequest(e)) done = true;
      break;
    }
  }
  return response;
}

} // namespace BrindleHost
