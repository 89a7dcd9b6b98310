#pragma once
// VST3's edit controller interfaces (Linux x86-64 ABI): IEditController, its parameter description
// and the host's IComponentHandler.
#include "vst3/abi/Vst3Processor.h"

namespace vst3 {

struct ParameterInfo
{
  enum : int32 { kCanAutomate = 1 << 0, kIsReadOnly = 1 << 1, kIsList = 1 << 3, kIsHidden = 1 << 4 };
  ParamID id;
  String128 title;
  String128 shortTitle;
  String128 units;
  int32 stepCount; // 0 continuous, else the number of steps above the first value
  ParamValue defaultNormalizedValue;
  int32 unitId;
  int32 flags;
};
static_assert(sizeof(ParameterInfo) == 792 && offsetof(ParameterInfo, units) == 516 &&
                  offsetof(ParameterInfo, stepCount) == 772 && offsetof(ParameterInfo, defaultNormalizedValue) == 776 &&
                  offsetof(ParameterInfo, flags) == 788,
              "ParameterInfo layout");

class IComponentHandler : public FUnknown
{
public:
  enum : int32 { kReloadComponent = 1 << 0, kParamValuesChanged = 1 << 2 };
  virtual tresult beginEdit(ParamID id) = 0;
  virtual tresult performEdit(ParamID id, ParamValue valueNormalized) = 0;
  virtual tresult endEdit(ParamID id) = 0;
  virtual tresult restartComponent(int32 flags) = 0;

protected:
  ~IComponentHandler() = default;
};
constexpr Uid kIComponentHandlerIID = MakeUid(0x93A0BEA3, 0x0BD045DB, 0x8E890B0C, 0xC1E46AC6);

class IPlugView;

class IEditController : public IPluginBase
{
public:
  virtual tresult setComponentState(IBStream* state) = 0;
  virtual tresult setState(IBStream* state) = 0;
  virtual tresult getState(IBStream* state) = 0;
  virtual int32 getParameterCount() = 0;
  virtual tresult getParameterInfo(int32 paramIndex, ParameterInfo& info) = 0;
  virtual tresult getParamStringByValue(ParamID id, ParamValue valueNormalized, String128 string) = 0;
  virtual tresult getParamValueByString(ParamID id, char16* string, ParamValue& valueNormalized) = 0;
  virtual ParamValue normalizedParamToPlain(ParamID id, ParamValue valueNormalized) = 0;
  virtual ParamValue plainParamToNormalized(ParamID id, ParamValue plainValue) = 0;
  virtual ParamValue getParamNormalized(ParamID id) = 0;
  virtual tresult setParamNormalized(ParamID id, ParamValue value) = 0;
  virtual tresult setComponentHandler(IComponentHandler* handler) = 0;
  virtual IPlugView* createView(FIDString name) = 0;

protected:
  ~IEditController() = default;
};
constexpr Uid kIEditControllerIID = MakeUid(0xDCD7BBE3, 0x7742448D, 0xA874AACC, 0x979C759E);

} // namespace vst3
