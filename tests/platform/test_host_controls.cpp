// The headless alert and the adjustable system version.
#include <BrindleHost/HostControls.h>
#include <CoreFoundation/CoreFoundation.h>
#include <CoreServices/CoreServices.h>

#include <gtest/gtest.h>

#include <string>

namespace {

struct Seen
{
  std::string header, message, defaultButton;
  bool hasAlternate = false, hasOther = false;
};

CFOptionFlags PressAlternate(const BrindleHost_Alert* alert, void* refCon)
{
  auto* seen = static_cast<Seen*>(refCon);
  seen->header = alert->header;
  seen->message = alert->message;
  seen->defaultButton = alert->defaultButton;
  seen->hasAlternate = alert->alternateButton != nullptr;
  seen->hasOther = alert->otherButton != nullptr;
  return kCFUserNotificationAlternateResponse;
}

TEST(HeadlessAlert, ResponderChoosesTheButton)
{
  Seen seen;
  BrindleHost_SetAlertResponder(PressAlternate, &seen);
  CFOptionFlags response = 99;
  EXPECT_EQ(0, CFUserNotificationDisplayAlert(0, kCFUserNotificationNoteAlertLevel, nullptr, nullptr, nullptr,
                                              CFSTR("Caption"), CFSTR("Text"), CFSTR("Yes"), CFSTR("No"), nullptr,
                                              &response));
  EXPECT_EQ(static_cast<CFOptionFlags>(kCFUserNotificationAlternateResponse), response);
  EXPECT_EQ("Caption", seen.header);
  EXPECT_EQ("Text", seen.message);
  EXPECT_EQ("Yes", seen.defaultButton);
  EXPECT_TRUE(seen.hasAlternate);
  EXPECT_FALSE(seen.hasOther);

  CFUserNotificationDisplayAlert(0, 0, nullptr, nullptr, nullptr, CFSTR("h"), CFSTR("m"), nullptr, nullptr, nullptr,
                                 &response);
  EXPECT_EQ("OK", seen.defaultButton); // the system's default button

  BrindleHost_SetAlertResponder(nullptr, nullptr);
  CFUserNotificationDisplayAlert(0, 0, nullptr, nullptr, nullptr, CFSTR("h"), CFSTR("m"), nullptr, CFSTR("Cancel"),
                                 nullptr, &response);
  EXPECT_EQ(static_cast<CFOptionFlags>(kCFUserNotificationDefaultResponse), response);
}

TEST(SystemVersion, HostCanSetWhatGestaltReports)
{
  SInt32 version = 0;
  Gestalt(gestaltSystemVersion, &version);
  EXPECT_EQ(0x1068, version);
  BrindleHost_SetSystemVersion(0x1049);
  Gestalt(gestaltSystemVersion, &version);
  EXPECT_EQ(0x1049, version);
  BrindleHost_SetSystemVersion(0x1068);
}

} // namespace
