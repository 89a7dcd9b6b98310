#pragma once
// IEditorDelegate: what the plug-in core calls on its editor. The editor framework
// (a layer above the core) implements it; the plug-in owns the editor it is given
// through AttachGraphics and deletes it with itself.

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
};
