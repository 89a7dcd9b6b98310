// Alerts without a display: shown on standard error, answered by the host's responder.
#include <CoreFoundation/CFRuntime.h>
#include <CoreFoundation/CFUserNotification.h>
#include <BrindleHost/HostControls.h>
#include <BrindleHost/WindowBackend.h>

#include <cstdio>
#include <mutex>

namespace {

std::mutex& ResponderMutex()
{
  static std::mutex sMutex;
  return sMutex;
}

BrindleHost_AlertResponder sResponder = nullptr;
void* sResponderRefCon = nullptr;

} // namespace

void BrindleHost_SetAlertResponder(BrindleHost_AlertResponder responder, void* refCon)
{
  std::lock_guard<std::mutex> lock(ResponderMutex());
  sResponder = responder;
  sResponderRefCon = refCon;
}

SInt32 CFUserNotificationDisplayAlert(CFTimeInterval, CFOptionFlags flags, CFURLRef, CFURLRef, CFURLRef,
                                      CFStringRef alertHeader, CFStringRef alertMessage, CFStringRef defaultButtonTitle,
                                      CFStringRef alternateButtonTitle, CFStringRef otherButtonTitle,
                                      CFOptionFlags* responseFlags)
{
  const std::string header = alertHeader ? CFRuntimeStringText(alertHeader) : "";
  const std::string message = alertMessage ? CFRuntimeStringText(alertMessage) : "";
  const std::string defaultButton = defaultButtonTitle ? CFRuntimeStringText(defaultButtonTitle) : "OK";
  const std::string alternate = alternateButtonTitle ? CFRuntimeStringText(alternateButtonTitle) : "";
  const std::string other = otherButtonTitle ? CFRuntimeStringText(otherButtonTitle) : "";

  std::string buttons = "[" + defaultButton + "]";
  if (alternateButtonTitle) buttons += " [" + alternate + "]";
  if (otherButtonTitle) buttons += " [" + other + "]";
  std::fprintf(stderr, "[alert] %s\n[alert] %s\n[alert] buttons: %s\n", header.c_str(), message.c_str(),
               buttons.c_str());

  BrindleHost_Alert alert = {flags,
                             header.c_str(),
                             message.c_str(),
                             defaultButton.c_str(),
                             alternateButtonTitle ? alternate.c_str() : nullptr,
                             otherButtonTitle ? other.c_str() : nullptr};
  BrindleHost_AlertResponder responder;
  void* refCon;
  {
    std::lock_guard<std::mutex> lock(ResponderMutex());
    responder = sResponder;
    refCon = sResponderRefCon;
  }
  // An installed responder decides; otherwise the window backend (the headless one answers from its
  // script and presses the default button when nothing is queued).
  const CFOptionFlags response = responder ? responder(&alert, refCon) : BrindleHost::Backend().RunAlert(alert);
  if (responseFlags) *responseFlags = response;
  return 0;
}
