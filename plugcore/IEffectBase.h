#pragma once
// IEffectBase: the host-neutral core of a plug-in object.
//
// It holds the plug-in's identity (names, codes, version), its parameters and
// preset slots, its channel configuration, and the per-channel buffer bookkeeping
// that turns whatever the host hands over (single- or double-precision buffers,
// fewer channels than declared) into the fixed set of double-precision channel
// pointers the processing routine expects. Host adapters derive from it and fill
// in the host-facing operations (the pure virtual ones); products override the
// processing and parameter hooks.
//
// Threads: the object's recursive mutex (GetMutex) serialises parameter changes,
// resets and editor attachment between the host's threads. The processing path
// (attach, ProcessBuffers, PassThroughBuffers) takes no lock, allocates nothing and
// never touches more than the block size (SetBlockSize) of frames: larger frame
// counts are clamped to the block size.

#include <atomic>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "containers/Core_Mutex.h"
#include "containers/Core_PtrList.h"
#include "containers/Core_String.h"
#include "containers/Core_TypedBuf.h"
#include "plugcore/HostInfo.h"
#include "plugcore/IEditorDelegate.h"
#include "plugcore/IParam.h"
#include "plugcore/IPreset.h"
#include "plugcore/ITimeInfo.h"

class ByteChunk;
struct IMidiMsg;
struct ISysEx;
class NChanDelayLine;

class IEffectBase
{
public:
  // Names are cut to kNameSize - 1 characters.
  static constexpr int kNameSize = 128;
  // Channel counts in the channel-IO string are limited to this many channels.
  static constexpr int kMaxChannels = 1024;

  struct ChannelIO
  {
    int mIn;
    int mOut;
  };

  struct InChannel
  {
    bool mConnected = false;
    double** mDataSlot = nullptr; // this channel's entry in mInData
    Core_TypedBuf<double> mScratchBuffer;
    Core_String mLabel;
  };

  struct OutChannel
  {
    bool mConnected = false;
    double** mDataSlot = nullptr; // this channel's entry in mOutData
    float* mHostBuffer = nullptr; // the host's buffer for a single-precision attach
    Core_TypedBuf<double> mScratchBuffer;
    Core_String mLabel;
  };

  // channelIOStr lists the legal in-out channel-count pairs, e.g. "1-1 2-2".
  IEffectBase(int nParams, const char* channelIOStr, int nPresets, const char* effectName, const char* productName,
              const char* mfrName, int vendorVersion, int uniqueID, int mfrID, int latency, bool spareFlag,
              bool plugDoesChunks, bool plugIsInst, EAPI plugAPI);
  virtual ~IEffectBase();

  // Whether a product built on this adapter builds its editor. An adapter whose instances can never
  // show one (an audio-only instance whose editor lives in another binary) hides this with false.
  static constexpr bool kMakesEditor = true;

  IEffectBase(const IEffectBase&) = delete;
  IEffectBase& operator=(const IEffectBase&) = delete;

  // ---- Virtual operations, in table order (host adapters implement the pure ones) ----

  virtual void Reset();
  virtual void OnParamChange(int paramIdx);
  // Default: copies input i to output i below the input count, zeroes the rest.
  virtual void ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames);
  // Default: copies every input to its output, zeroes outputs from the input count
  // up; outputs must have at least as many entries as there are input channels.
  virtual void ProcessSingleReplacing(float** inputs, float** outputs, int nFrames);
  virtual void OnGUIOpen() {}
  virtual void OnGUIClose() {}
  virtual void OnIdle() {}
  virtual void OnActivate(bool active);
  virtual void ProcessMidiMsg(IMidiMsg* pMsg);
  virtual void ProcessSysEx(ISysEx* /*pSysEx*/) {}
  // Writes an empty name (when given a buffer) and returns false.
  virtual bool MidiNoteName(int noteNumber, char* rName);
  // The default state is one 8-byte double per parameter (its real value), in index
  // order, with no header. Reads take a start position and return the next position,
  // or -1 once the data ends early; whatever was read before that stays applied.
  virtual bool SerializeState(ByteChunk* pChunk);
  virtual int UnserializeState(ByteChunk* pChunk, int startPos);
  // pIncomingState holds doubles and startPos counts doubles; equal when every
  // parameter is within 1e-5 of its stored value in single precision.
  virtual bool CompareState(const unsigned char* pIncomingState, int startPos);
  virtual void OnWindowResize() {}
  virtual bool HostRequestingAboutBox() { return false; }
  virtual void OnHostIdentified() {}
  virtual void PopupHostContextMenuForParam(int /*paramIdx*/, int /*x*/, int /*y*/) {}
  // The editor's way to change a parameter: sets it, tells the host, calls
  // OnParamChange, all under the mutex. Indices outside the list are ignored.
  virtual void SetParameterFromGUI(int paramIdx, double normalizedValue);
  virtual void BeginInformHostOfParamChange(int paramIdx) = 0;
  virtual void InformHostOfParamChange(int paramIdx, double normalizedValue) = 0;
  virtual void EndInformHostOfParamChange(int paramIdx) = 0;
  virtual void InformHostOfProgramChange() = 0;
  virtual bool IsRenderingOffline() { return false; }
  virtual int GetSamplePos() = 0;
  virtual double GetTempo() = 0;
  virtual void GetTimeSig(int* pNum, int* pDenom) = 0;
  virtual void GetTime(ITimeInfo* pTimeInfo) = 0;
  virtual EHost GetHost() { return static_cast<EHost>(mHost); }
  virtual EAPI GetAPI() { return mAPI; }
  virtual void ResizeGraphics(int w, int h) = 0;
  virtual void HostSpecificInit() {}
  // Takes ownership of the editor and shows every parameter in it; null is ignored.
  virtual void AttachGraphics(IEditorDelegate* pGraphics);
  virtual void SetLatency(int samples) { mLatency = samples; }
  virtual bool SendMidiMsg(IMidiMsg* pMsg) = 0;
  virtual bool SendSysEx(ISysEx* /*pSysEx*/) { return false; }
  // Sends each message in order through SendMidiMsg; true only when every send
  // succeeded (also for an empty or null list).
  bool SendMidiMsgs(const Core_TypedBuf<IMidiMsg>* pMsgs);
  // Shows every parameter's real value in the editor, if one is attached.
  virtual void RedrawParamControls();
  // The core's only ways to tell its editor about a value (see IEditorDelegate.h for
  // the threads they may run on). Both do nothing without an editor; the caller
  // holds the mutex.
  void ShowParamInEditor(int paramIdx, double value, bool normalized);
  void ShowControlValueInEditor(int controlIdx, double normalized);
  virtual void DirtyPTCompareState() {}
  virtual void PresetsChangedByHost() {}
  // Sizes every scratch buffer to blockSize doubles (zeroed) when the size changes.
  virtual void SetBlockSize(int blockSize);
  // For a product that can write the host's single-precision outputs itself. ProcessBuffers(float)
  // offers it the double inputs and, when every output channel is connected to a host buffer, those
  // buffers; a product that renders into them returns true, and the double outputs and the
  // write-back are skipped. What it writes must be exactly what the write-back would have written:
  // its double result rounded to float. Default: declines (false), nothing written.
  virtual bool ProcessDoubleToSingle(double** /*inputs*/, float** /*outputs*/, int /*nFrames*/) { return false; }

  // ---- Channel configuration ----

  // True when a channel-IO pair matches; a negative count matches any count.
  bool LegalIO(int nIn, int nOut);
  int NLegalIOs() const { return mLegalIO.GetSize(); }
  // Pair index of the channel-IO list, or null outside it.
  const ChannelIO* GetLegalIO(int index) const { return mLegalIO.Get(index); }
  int NInChannels() const { return mInChannels.GetSize(); }
  int NOutChannels() const { return mOutChannels.GetSize(); }

  void SetInputChannelConnections(int idx, int n, bool connected);
  void SetOutputChannelConnections(int idx, int n, bool connected);
  bool IsInChannelConnected(int chIdx) const;
  bool IsOutChannelConnected(int chIdx) const;
  // Disconnects inputs from index 2 on and marks outputs from index 2 on as connected.
  void LimitToStereoIO();

  void SetInputLabel(int idx, const char* label);
  void SetOutputLabel(int idx, const char* label);
  // "" for a channel outside the list.
  const char* GetInputLabel(int idx) const;
  const char* GetOutputLabel(int idx) const;
  // Input buses 0 and 1 only; output buses any index >= 0.
  void SetInputBusLabel(int idx, const char* label);
  void SetOutputBusLabel(int idx, const char* label);
  // Null when there is no such label.
  const Core_String* GetInputBusLabel(int idx) const { return mInBusLabels.Get(idx); }
  const Core_String* GetOutputBusLabel(int idx) const { return mOutBusLabels.Get(idx); }

  // ---- Buffers and processing (no locking, no allocation) ----
  //
  // Each attach visits channels idx .. idx+n-1 that exist and takes one host
  // pointer per connected channel among them. Frame counts are clamped to the
  // block size; a call with a negative first channel or a null list does nothing.

  void AttachInputBuffers(int idx, int n, double** ppData, int nFrames);
  void AttachInputBuffers(int idx, int n, float** ppData, int nFrames);
  void AttachOutputBuffers(int idx, int n, double** ppData);
  void AttachOutputBuffers(int idx, int n, float** ppData);

  void PassThroughBuffers(double sampleType, int nFrames);
  void PassThroughBuffers(float sampleType, int nFrames);
  void ProcessBuffers(double sampleType, int nFrames);
  void ProcessBuffers(float sampleType, int nFrames);
  void ProcessBuffersAccumulating(float sampleType, int nFrames);
  void ZeroScratchBuffers();

  // ---- Parameters ----

  int NParams() const { return mParams.GetSize(); }
  // Null for an index outside the list.
  IParam* GetParam(int idx) const { return mParams.Get(idx); }
  // Calls OnParamChange for every parameter in index order.
  void OnParamReset();

  // ---- Identity, timing, host ----

  const char* GetEffectName() const { return mEffectName; }
  const char* GetProductName() const { return mProductName; }
  const char* GetMfrName() const { return mMfrName; }
  int GetPlugID() const { return mPlugID; }
  int GetMakerID() const { return mMakerID; }
  int GetLatency() const { return mLatency; }
  bool UsesChunks() const { return mUsesChunks; }
  bool IsInstrument() const { return mIsInstrument; }
  bool IsBypassed() const { return mBypassed.load(std::memory_order_relaxed); }
  double GetSampleRate() const { return mSampleRate; }
  void SetSampleRate(double sampleRate) { mSampleRate = sampleRate; }
  int GetBlockSize() const { return mBlockSize; }
  // Samples per beat at the host's tempo; 0 when the tempo is not positive.
  double GetSamplesPerBeat();
  IEditorDelegate* GetGUI() const { return mGraphics.get(); }
  Core_Mutex& GetMutex() { return mMutex; }

  // Identifies the host from its name (no OnHostIdentified call).
  void SetHost(const char* host, int version);
  int GetHostVersion(bool decimal);
  // out holds kVersionStrSize bytes.
  void GetHostVersionStr(char* out);
  int GetEffectVersion(bool decimal) const;
  void GetEffectVersionStr(char* out) const;
  const char* GetAPIString();
  const char* GetArchString() const;

  // ---- State chunks and presets (IEffectBaseState.cpp, IEffectBasePresets.cpp) ----

  // Under the mutex. Unserializing clamps each value into its parameter and then
  // calls OnParamChange for every parameter.
  bool SerializeParams(ByteChunk* pChunk);
  int UnserializeParams(ByteChunk* pChunk, int startPos);
  // Bank form: per preset its name (PutString), its initialized flag and, when set,
  // its state. Reading loads each state through UnserializeState, then restores the
  // current preset.
  bool SerializePresets(ByteChunk* pChunk);
  int UnserializePresets(ByteChunk* pChunk, int startPos);

  // Each maker fills the next uninitialized preset slot and does nothing when none
  // is left. Names are cut to IPreset::kNameSize - 1 characters.
  // nPresets slots become copies of the current state, named name (null: "Empty").
  void MakeDefaultPreset(const char* name = nullptr, int nPresets = 1);
  // One value per parameter: int for bool/int/enum parameters, double otherwise.
  void MakePreset(const char* name, ...);
  // nParamsNamed pairs (int index, value typed as for MakePreset); unnamed
  // parameters take their current value. An index outside the parameter list ends
  // the pair list, since the type of the value after it is unknown.
  void MakePresetFromNamedParams(const char* name, int nParamsNamed, ...);
  void MakePresetFromChunk(const char* name, ByteChunk* pChunk);
  // The chunk is sizeOfChunk bytes: the Base64 blob decoded into it, zero-filled after.
  void MakePresetFromBlob(const char* name, const char* blob, int sizeOfChunk);
  // Every still uninitialized slot becomes a copy of the current state named "Empty".
  void EnsureDefaultPreset();
  // Deletes the uninitialized slots, keeping the order of the others.
  void PruneUninitializedPresets();

  // Loads a preset into the parameters; an uninitialized slot instead captures the
  // current state under a "user preset N" name. On success the preset becomes
  // current, PresetsChangedByHost and RedrawParamControls are called.
  bool RestorePreset(int idx);
  // The first preset with exactly this name; false for null, "" or no match.
  bool RestorePreset(const char* name);
  // "" for an index outside the list.
  const char* GetPresetName(int idx) const;
  // Stores the current state (and the name, when given and not empty) into the
  // current preset.
  void ModifyCurrentPreset(const char* name = nullptr);
  // Under the mutex: tells the host every parameter's normalized value.
  void DirtyParameters();

  // ---- Preset files and dumps (IEffectBasePresetFiles.cpp, PresetDump.cpp) ----
  //
  // Program (.fxp) and bank (.fxb) files; their layout is in PresetFiles.h. The
  // four file calls ask the attached editor for the file name and fail without an
  // editor or when the user cancels. The byte calls do the work for them and for
  // tools that have no editor. Loading is all or nothing: a refused file (foreign
  // plug-in ID, wrong parameter count, truncated, over 1 MiB, non-finite value)
  // leaves the parameters, the presets and the current preset as they were.

  bool SaveProgramAsFXP(const char* defaultFileName);
  bool SaveBankAsFXB(const char* defaultFileName);
  bool LoadProgramFromFXP();
  bool LoadBankFromFXB();

  // The chunk form when the plug-in keeps its state as a chunk (UsesChunks),
  // the parameter form otherwise. Under the mutex.
  bool BuildProgramFile(std::vector<unsigned char>* out, std::string* error = nullptr);
  bool BuildBankFile(std::vector<unsigned char>* out, std::string* error = nullptr);
  // On success the current preset takes the program (values and name), or every
  // preset the bank holds; the host is told of the program change.
  bool LoadProgramFile(const unsigned char* data, size_t size, std::string* error = nullptr);
  bool LoadBankFile(const unsigned char* data, size_t size, std::string* error = nullptr);

  // Source text that recreates the current parameter values through
  // MakePresetFromNamedParams (paramEnumNames: one identifier per parameter; a null
  // entry is written as the index), or the current preset's chunk as a
  // MakePresetFromBlob call. Written whole through a temporary file; false when the
  // file cannot be written.
  bool DumpPresetSrcCode(const char* path, const char** paramEnumNames);
  bool DumpPresetBlob(const char* path);

  int NPresets() const { return mPresets.GetSize(); }
  int GetCurrentPresetIdx() const { return mCurrentPreset; }
  // Null for an index outside the list.
  IPreset* GetPreset(int idx) const { return mPresets.Get(idx); }

  // Clears the chunk and writes the 8-byte header: kIEffectVerMagic, kIEffectVer.
  static void InitChunkWithIEffectVer(ByteChunk* pChunk);
  // The version word after the header at *pPos, advancing *pPos past it. Without the
  // magic: 0 and *pPos unchanged; magic but no room for the word: 0 and *pPos = -1.
  static int GetIEffectVerFromChunk(ByteChunk* pChunk, int* pPos);

protected:
  Core_PtrList<ChannelIO> mLegalIO;
  Core_Mutex mMutex;
  char mEffectName[kNameSize];
  char mProductName[kNameSize];
  char mMfrName[kNameSize];
  int mPlugID;
  int mMakerID;
  int mVersion;
  EAPI mAPI;
  int mHost;
  int mHostVersion;
  bool mUsesChunks;
  bool mIsInstrument;
  bool mSpareFlag;
  // Written by the host's property calls, read by the lock-free render.
  std::atomic<bool> mBypassed;
  int mCurrentPreset;
  double mSampleRate;
  int mBlockSize;
  int mLatency;
  Core_String mPresetPath;
  NChanDelayLine* mLatencyDelay;         // never created in this system; stays null
  Core_PtrList<const char> mParamGroups; // the parameters' own group texts, not owned
  std::unique_ptr<IEditorDelegate> mGraphics;
  Core_PtrList<IParam> mParams;
  Core_PtrList<IPreset> mPresets;
  Core_TypedBuf<double*> mInData;
  Core_TypedBuf<double*> mOutData;
  Core_PtrList<InChannel> mInChannels;
  Core_PtrList<OutChannel> mOutChannels;
  Core_PtrList<Core_String> mInBusLabels;
  Core_PtrList<Core_String> mOutBusLabels;

private:
  void ParseChannelIO(const char* channelIOStr, int* maxIn, int* maxOut);

  Core_TypedBuf<float*> mHostOutData; // the outputs' host buffers, for ProcessDoubleToSingle
};
