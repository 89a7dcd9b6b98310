#pragma once
// IGraphicsMac: the editor's platform class on AppKit. It opens and closes the editor's view
// (IGraphicsCocoa.h), copies the off-screen canvas to the screen inside the view's repaint, finds
// the editor's images in the plug-in's bundle, and offers the native prompts (file panels, alerts,
// popup menus, text entry), paths, URLs, tooltips and cursor hiding.
//
// One object per plug-in instance, built by the product's editor layout and owned by the plug-in.
// Views come and go (a host may open the editor many times); the editor and its controls outlive
// them. Everything here runs on the host's main thread.

#include "containers/Core_String.h"
#include "graphics/IGraphics.h"
#include "graphics/mac/CocoaClassNames.h"

class IGRAPHICS_COCOA;
class NSWindow;
class Raster_IBitmap;

class IGraphicsMac : public IGraphics
{
public:
  IGraphicsMac(IEffectBase* plug, int width, int height, int frameRate = 0);
  ~IGraphicsMac() override;

  bool DrawScreen(IRECT* r) override;
  bool MeasureIText(IText* text, char* str, IRECT* r) override;
  void ForceEndUserEdit() override;
  void Resize(int w, int h) override;
  bool WindowIsOpen() override;
  const char* GetGUIAPI() override;
  int ShowMessageBox(const char* text, const char* caption, int type) override;
  IPopupMenu* CreateIPopupMenu(IPopupMenu* menu, IRECT* r) override;
  void CreateTextEntry(IControl* control, IText* text, IRECT* r, const char* str, IParam* param) override;
  void HostPath(Core_String* path) override;
  void PluginPath(Core_String* path) override;
  void DesktopPath(Core_String* path) override;
  void AppSupportPath(Core_String* path) override;
  void PromptForFile(Core_String* file, EFileAction action, Core_String* dir, char* extensions) override;
  bool PromptForColor(IColor* color, char* prompt) override;
  bool OpenURL(const char* url, const char* windowTitle = nullptr, const char* confirmMsg = nullptr,
               const char* errMsg = nullptr) override;
  using IGraphics::OpenWindow; // the window-and-control form stays callable beside this one
  void* OpenWindow(void* parentView) override;
  void AttachSubWindow(void* hostWindowRef) override;
  void RemoveSubWindow() override;
  void CloseWindow() override;
  void* GetWindow() override;
  void HideMouseCursor() override;
  void ShowMouseCursor() override;
  void UpdateTooltips() override;
  Raster_IBitmap* OSLoadBitmap(int id, const char* name) override;
  // Resizes the open view to the scaled size.
  void OnScaleChanged() override;

  // The same as OpenWindow(parentView).
  void* OpenCocoaWindow(void* parentView);

  void SetBundleID(const char* bundleID) { mBundleId.Set(bundleID); }
  const char* GetBundleID() const { return mBundleId.Get(); }

  // The system version from Gestalt (BCD digits, e.g. 0x1068 for 10.6.8).
  static int GetUserOSVersion();

private:
  // Editor rectangle -> view rectangle in device pixels (the view's y axis points up; each side one pixel
  // larger).
  void ToViewRect(const IRECT* r, double* x, double* y, double* w, double* h) const;

  IGRAPHICS_COCOA* mView = nullptr; // retained while open
  Core_String mBundleId;
  NSWindow* mHostWindow = nullptr; // retained while attached
};

// The PNG image fileName (folders and extension dropped) from the resources of the bundle with
// identifier bundleID; null when the name is not a PNG name, the bundle or the file is missing, or
// the file does not decode. The caller owns the result.
Raster_IBitmap* LoadImgFromResourceOSX(const char* bundleID, const char* fileName);
