// File panels and the workspace, answered by the window backend.
#include <AppKit/NSSavePanel.h>
#include <AppKit/NSWorkspace.h>
#include <BrindleHost/WindowBackend.h>

NSSavePanel::~NSSavePanel()
{
  if (mAllowedTypes) mAllowedTypes->release();
  if (mFilename) mFilename->release();
}

NSSavePanel* NSSavePanel::savePanel()
{
  return static_cast<NSSavePanel*>(alloc()->autorelease());
}

NSOpenPanel* NSOpenPanel::openPanel()
{
  return static_cast<NSOpenPanel*>(alloc()->autorelease());
}

void NSSavePanel::setAllowedFileTypes(NSArray* types)
{
  if (types) types->retain();
  if (mAllowedTypes) mAllowedTypes->release();
  mAllowedTypes = types;
}

NSInteger NSSavePanel::runModalForDirectory(NSString* directory, NSString* file)
{
  return run(true, directory, file, mAllowedTypes);
}

NSInteger NSOpenPanel::runModalForDirectory(NSString* directory, NSString* file, NSArray* types)
{
  return run(false, directory, file, types);
}

NSInteger NSSavePanel::run(bool save, NSString* directory, NSString* file, NSArray* types)
{
  BrindleHost::PanelRequest request;
  request.mSave = save;
  request.mDirectory = directory ? directory->text() : "";
  request.mFile = file ? file->text() : "";
  if (types)
    for (NSObject* t : types->objects())
      if (NSString* s = dynamic_cast<NSString*>(t)) request.mAllowedTypes.push_back(s->text());
  request.mAllowsOtherFileTypes = mAllowsOtherFileTypes;
  request.mCanChooseFiles = mCanChooseFiles;
  request.mCanChooseDirectories = mCanChooseDirectories;
  request.mResolvesAliases = mResolvesAliases;
  if (mFilename) mFilename->release();
  mFilename = nil;
  std::string path;
  if (!BrindleHost::Backend().RunPanel(request, &path) || path.empty()) return NSCancelButton;
  mFilename = NSString::alloc()->initWithUTF8String(path.c_str());
  return mFilename ? NSOKButton : NSCancelButton;
}

NSWorkspace* NSWorkspace::sharedWorkspace()
{
  static NSWorkspace* sShared = alloc();
  return sShared;
}

BOOL NSWorkspace::openURL(NSURL* url)
{
  if (!url || !url->absoluteString()) return NO;
  return BrindleHost::Backend().OpenURL(url->absoluteString()->text()) ? YES : NO;
}
