// The window backend without a display: a virtual clock and scripted answers.
#include <AppKit/NSMenu.h>
#include <BrindleHost/Headless.h>

#include <cmath>

namespace BrindleHost {

namespace {

std::unique_ptr<IWindowBackend>& Installed()
{
  static auto* sBackend = new std::unique_ptr<IWindowBackend>();
  return *sBackend;
}

std::string Trimmed(const std::string& s)
{
  const size_t b = s.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return "";
  return s.substr(b, s.find_last_not_of(" \t\r\n") - b + 1);
}

MenuItemRecord Describe(NSMenuItem* item)
{
  MenuItemRecord r;
  r.mTitle = item->title() ? item->title()->text() : "";
  r.mState = item->state();
  r.mIndentation = item->indentationLevel();
  r.mEnabled = item->isEnabled();
  r.mSeparator = item->isSeparatorItem();
  r.mHasAction = item->action() != nullptr;
  r.mHasSubmenu = item->hasSubmenu();
  if (NSMenu* sub = item->submenu())
    for (NSInteger i = 0; i < sub->numberOfItems(); ++i) r.mSubmenu.push_back(Describe(sub->itemAtIndex(i)));
  return r;
}

} // namespace

IWindowBackend& Backend()
{
  auto& backend = Installed();
  if (!backend) backend.reset(new HeadlessBackend());
  return *backend;
}

void SetBackend(std::unique_ptr<IWindowBackend> backend)
{
  Installed() = std::move(backend);
}

HeadlessBackend* Headless()
{
  return dynamic_cast<HeadlessBackend*>(&Backend());
}

// ---- Script ----

bool HeadlessBackend::QueueAnswer(const std::string& line)
{
  const size_t arrow = line.find("->");
  if (arrow == std::string::npos) return false;
  const std::string kind = Trimmed(line.substr(0, arrow));
  const std::string answer = Trimmed(line.substr(arrow + 2));
  if (kind == "menu") {
    if (answer == "dismiss") {
      QueueMenuDismiss();
      return true;
    }
    if (answer.compare(0, 7, "choose ") != 0) return false;
    std::vector<int> path;
    const std::string choice = Trimmed(answer.substr(7));
    size_t start = 0;
    while (start <= choice.size()) {
      const size_t slash = choice.find('/', start);
      const std::string part = choice.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
      if (part.empty() || part.size() > 6 || part.find_first_not_of("0123456789") != std::string::npos) return false;
      path.push_back(std::stoi(part));
      if (slash == std::string::npos) break;
      start = slash + 1;
    }
    QueueMenuChoice(path);
    return true;
  }
  if (kind == "save panel" || kind == "open panel") {
    if (answer.empty()) return false;
    const std::string path = answer == "cancel" ? "" : answer;
    if (kind == "save panel")
      QueueSavePanel(path);
    else
      QueueOpenPanel(path);
    return true;
  }
  if (kind == "alert") {
    static const std::map<std::string, CFOptionFlags> kResponses = {{"default", kCFUserNotificationDefaultResponse},
                                                                    {"alternate", kCFUserNotificationAlternateResponse},
                                                                    {"other", kCFUserNotificationOtherResponse},
                                                                    {"cancel", kCFUserNotificationCancelResponse}};
    const auto found = kResponses.find(answer);
    if (found == kResponses.end()) return false;
    QueueAlert(found->second);
    return true;
  }
  if (kind == "url") {
    if (answer != "ok" && answer != "fail") return false;
    QueueURLResult(answer == "ok");
    return true;
  }
  return false;
}

size_t HeadlessBackend::PendingAnswers() const
{
  return mMenuAnswers.size() + mSaveAnswers.size() + mOpenAnswers.size() + mAlertAnswers.size() + mURLAnswers.size();
}

void HeadlessBackend::ClearScript()
{
  mMenuAnswers.clear();
  mSaveAnswers.clear();
  mOpenAnswers.clear();
  mAlertAnswers.clear();
  mURLAnswers.clear();
}

void HeadlessBackend::ClearRecords()
{
  mMenus.clear();
  mPanels.clear();
  mAlerts.clear();
  mURLs.clear();
}

// ---- Windows, clock, cursor ----

void* HeadlessBackend::CreateHostWindowRef(CGRect frame)
{
  void* ref = reinterpret_cast<void*>(mNextHostRef++ * 16);
  mHostWindows[ref] = frame;
  return ref;
}

void HeadlessBackend::DestroyHostWindowRef(void* ref)
{
  mHostWindows.erase(ref);
}

bool HeadlessBackend::HostWindowFrame(void* windowRef, CGRect* frame)
{
  const auto found = mHostWindows.find(windowRef);
  if (found == mHostWindows.end()) return false;
  *frame = found->second;
  return true;
}

void* HeadlessBackend::CreateNativeWindow(NSWindow* window)
{
  ++mNativeWindows;
  return window;
}

void HeadlessBackend::DestroyNativeWindow(NSWindow*, void*)
{
  if (mNativeWindows) --mNativeWindows;
}

void HeadlessBackend::WaitUntil(double time)
{
  if (std::isfinite(time) && time > mNow) mNow = time;
}

bool HeadlessBackend::SetCursorVisible(bool visible)
{
  if (!visible)
    ++mHideCount;
  else if (mHideCount > 0)
    --mHideCount;
  return true;
}

bool HeadlessBackend::MoveCursor(CGPoint point)
{
  if (!std::isfinite(point.x) || !std::isfinite(point.y)) return false;
  mCursor = point;
  return true;
}

// ---- Modal requests ----

NSMenuItem* HeadlessBackend::RunMenu(NSMenu* menu, CGPoint screenPoint, NSView*)
{
  MenuRecord record;
  record.mTitle = menu->title() ? menu->title()->text() : "";
  record.mScreenPoint = screenPoint;
  for (NSInteger i = 0; i < menu->numberOfItems(); ++i) record.mItems.push_back(Describe(menu->itemAtIndex(i)));
  NSMenuItem* chosen = nullptr;
  if (!mMenuAnswers.empty()) {
    const std::vector<int> path = mMenuAnswers.front();
    mMenuAnswers.pop_front();
    NSMenu* level = menu;
    for (size_t i = 0; i < path.size() && level; ++i) {
      chosen = level->itemAtIndex(path[i]);
      if (!chosen) break;
      level = i + 1 < path.size() ? chosen->submenu() : nullptr;
      if (i + 1 < path.size() && !level) chosen = nullptr;
    }
    if (chosen && (!chosen->isEnabled() || chosen->isSeparatorItem() || chosen->hasSubmenu())) chosen = nullptr;
    if (chosen) record.mChosenPath = path;
  }
  mMenus.push_back(record);
  return chosen;
}

bool HeadlessBackend::RunPanel(const PanelRequest& request, std::string* path)
{
  std::deque<std::string>& answers = request.mSave ? mSaveAnswers : mOpenAnswers;
  PanelRecord record{request, ""};
  if (!answers.empty()) {
    record.mAnswer = answers.front();
    answers.pop_front();
  }
  mPanels.push_back(record);
  *path = record.mAnswer;
  return !record.mAnswer.empty();
}

CFOptionFlags HeadlessBackend::RunAlert(const BrindleHost_Alert& alert)
{
  AlertRecord record;
  record.mFlags = alert.flags;
  record.mHeader = alert.header ? alert.header : "";
  record.mMessage = alert.message ? alert.message : "";
  record.mDefaultButton = alert.defaultButton ? alert.defaultButton : "";
  record.mHasAlternate = alert.alternateButton != nullptr;
  record.mAlternateButton = alert.alternateButton ? alert.alternateButton : "";
  record.mHasOther = alert.otherButton != nullptr;
  record.mOtherButton = alert.otherButton ? alert.otherButton : "";
  record.mResponse = kCFUserNotificationDefaultResponse;
  if (!mAlertAnswers.empty()) {
    record.mResponse = mAlertAnswers.front();
    mAlertAnswers.pop_front();
  }
  mAlerts.push_back(record);
  return record.mResponse;
}

bool HeadlessBackend::OpenURL(const std::string& url)
{
  URLRecord record{url, true};
  if (!mURLAnswers.empty()) {
    record.mResult = mURLAnswers.front();
    mURLAnswers.pop_front();
  }
  mURLs.push_back(record);
  return record.mResult;
}

} // namespace BrindleHost
