/*
 * NSSavePanel.h — the modal file panels. The window backend answers them (the headless backend
 * from its script: BrindleHost/Headless.h); the panel keeps the chosen path.
 */
#ifndef BRINDLE_PLATFORM_NSSAVEPANEL_H
#define BRINDLE_PLATFORM_NSSAVEPANEL_H

#include <Foundation/NSArray.h>
#include <Foundation/NSString.h>

enum : NSInteger { NSCancelButton = 0, NSOKButton = 1, NSModalResponseCancel = 0, NSModalResponseOK = 1 };

class NSSavePanel : public NSObject
{
public:
  ~NSSavePanel() override;
  /* Autoreleased. */
  static NSSavePanel* savePanel();
  const char* className() const override { return "NSSavePanel"; }

  /* Retained; nil or empty: any type. */
  void setAllowedFileTypes(NSArray* types);
  NSArray* allowedFileTypes() const { return mAllowedTypes; }
  void setAllowsOtherFileTypes(BOOL flag) { mAllowsOtherFileTypes = flag; }
  BOOL allowsOtherFileTypes() const { return mAllowsOtherFileTypes; }
  /* NSOKButton or NSCancelButton. */
  NSInteger runModalForDirectory(NSString* directory, NSString* file);
  /* The chosen full path after OK; nil before or after a cancel. */
  NSString* filename() const { return mFilename; }

protected:
  NS_DECLARE_ALLOC(NSSavePanel)
  NSInteger run(bool save, NSString* directory, NSString* file, NSArray* types);
  NSArray* mAllowedTypes = nil;
  NSString* mFilename = nil;
  BOOL mAllowsOtherFileTypes = YES;
  BOOL mCanChooseFiles = YES, mCanChooseDirectories = NO, mResolvesAliases = YES;
};

class NSOpenPanel : public NSSavePanel
{
public:
  /* Autoreleased. */
  static NSOpenPanel* openPanel();
  const char* className() const override { return "NSOpenPanel"; }
  void setCanChooseFiles(BOOL flag) { mCanChooseFiles = flag; }
  void setCanChooseDirectories(BOOL flag) { mCanChooseDirectories = flag; }
  void setResolvesAliases(BOOL flag) { mResolvesAliases = flag; }
  BOOL canChooseFiles() const { return mCanChooseFiles; }
  BOOL canChooseDirectories() const { return mCanChooseDirectories; }
  BOOL resolvesAliases() const { return mResolvesAliases; }
  /* types: retained for the run only; nil: any type. */
  NSInteger runModalForDirectory(NSString* directory, NSString* file, NSArray* types);

private:
  NS_DECLARE_ALLOC(NSOpenPanel)
};

#endif
