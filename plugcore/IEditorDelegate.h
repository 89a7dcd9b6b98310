#pragma once
// IEditorDelegate: what the plug-in core calls on its editor. The editor framework
// (a layer above the core) implements it; the plug-in owns the editor it is given
// through AttachGraphics and deletes it with itself.
//
// Threads. The core reaches the editor only through IEffectBase's ShowParamInEditor,
// ShowControlValueInEditor, RedrawParamControls and AttachGraphics, always while it
// holds the plug-in's mutex. A host may set parameters from any thread, its audio
// thread included, so SetParameterFromPlug and SetControlFromPlug may run on any
// thread and must be real-time safe: they never draw, allocate, lock or call the
// window system. An implementation applies a value straight to its controls when it
// is called on the editor's own (user-interface) thread, and otherwise only posts it
// (latest value wins) for the editor's redraw timer to apply on that thread before it
// looks for stale controls. PrepDraw and PromptForFile run on the user-interface
// thread.

#include "containers/Core_String.h"

// What a file prompt is for.
enum EFileAction { kFileOpen = 0, kFileSave = 1 };

class IEditorDelegate
{
public:
  virtual ~IEditorDelegate() = default;

  // Shows parameter paramIdx's value in the controls bound to it; value is
  // normalized (0..1) when `normalized` is set, else the real value.
  virtual void SetParameterFromPlug(int paramIdx, double value, bool normalized) = 0;

  // Sets control controlIdx directly to a normalized value.
  virtual void SetControlFromPlug(int controlIdx, double normalized) = 0;

  // Called once the controls show the parameters, before the editor first draws.
  virtual void PrepDraw() = 0;

  // Asks the user for a file. On entry `file` holds the suggested name and `dir` the
  // start folder (empty: the editor's default, which it writes back); on return
  // `file` holds the chosen full path, or "" when the user cancelled or no window is
  // open. `extensions` lists the allowed extensions separated by single spaces.
  virtual void PromptForFile(Core_String* file, EFileAction action, Core_String* dir, char* extensions) = 0;
};
