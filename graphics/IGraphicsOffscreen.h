#pragma once
// IGraphicsOffscreen: an editor with no window and no platform behind it. Drawing goes to its canvas
// only; every platform operation does nothing or declines (no message box, menu, text entry, file or
// colour prompt, URL, window or image). For drawing an editor's controls into a picture, and for
// tests, which override the operations they watch.

#include "graphics/IGraphics.h"

class IGraphicsOffscreen : public IGraphics
{
public:
  using IGraphics::IGraphics;

  bool DrawScreen(IRECT*) override { return true; }
  void ForceEndUserEdit() override {}
  int ShowMessageBox(const char*, const char*, int) override { return 0; }
  IPopupMenu* CreateIPopupMenu(IPopupMenu*, IRECT*) override { return nullptr; }
  void CreateTextEntry(IControl*, IText*, IRECT*, const char*, IParam*) override {}
  void HostPath(Core_String*) override {}
  void PluginPath(Core_String*) override {}
  void DesktopPath(Core_String*) override {}
  void AppSupportPath(Core_String*) override {}
  void PromptForFile(Core_String* file, EFileAction, Core_String*, char*) override { file->Set(""); }
  bool PromptForColor(IColor*, char*) override { return false; }
  bool OpenURL(const char*, const char*, const char*, const char*) override { return false; }
  void* OpenWindow(void*) override { return nullptr; }
  using IGraphics::OpenWindow;
  void CloseWindow() override {}
  void* GetWindow() override { return nullptr; }
  void UpdateTooltips() override {}
  Raster_IBitmap* OSLoadBitmap(int, const char*) override { return nullptr; }
};
