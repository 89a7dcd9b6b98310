#include "tools/editor/EditorSnapshot.h"

#include "raster/Raster_MemBitmap.h"
#include "tools/host/ComponentHost.h"
#include "tools/host/EditorHost.h"
#include "tools/files/PngWriter.h"

bool SnapshotEditor(const std::string& bundlePath, const std::function<void(EditorHost&)>& act,
                    const std::string& pngPath, std::string& error)
{
  Component component = nullptr;
  if (!LoadEffectComponent(bundlePath, component, error)) return false;
  ComponentHost host;
  if (const OSStatus status = host.Open(component); status != noErr) {
    error = "cannot open the component: " + DescribeStatus(status);
    return false;
  }
  EditorHost editor;
  if (!editor.Open(host.Unit(), error)) return false;
  editor.Ticks(2);
  if (act) act(editor);
  editor.Ticks(2);
  Raster_MemBitmap picture;
  if (!editor.Snapshot(picture)) {
    error = "the editor window shows nothing";
    return false;
  }
  return WritePngFile(&picture, pngPath, error);
}
