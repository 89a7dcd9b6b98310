#pragma once
// Host identification and the plug-in's API: the host ids, the table that maps a
// host application's name to its id, the display names, and two small character
// helpers used by the lookup.

// Both enumerations are int-based: ids arrive as plain ints (from the adapter, from
// a host), and any int must be a valid value of them, if only to answer "Unknown".

// Which host interface built the plug-in object.
enum EAPI : int { kAPIVST2 = 0, kAPIVST3 = 1, kAPIAU = 2, kAPIRTAS = 3, kAPIAAX = 4, kAPISA = 5 };

// Identified host application; kHostUninit until identification was tried.
enum EHost : int {
  kHostUninit = -1,
  kHostUnknown = 0,
  kHostReaper = 1,
  kHostProTools = 2,
  kHostCubase = 3,
  kHostNuendo = 4,
  kHostSonar = 5,
  kHostVegas = 6,
  kHostFL = 7,
  kHostSamplitude = 8,
  kHostAbletonLive = 9,
  kHostTracktion = 10,
  kHostNTracks = 11,
  kHostMelodyneStudio = 12,
  kHostVSTScanner = 13,
  kHostAULab = 14,
  kHostForte = 15,
  kHostChainer = 16,
  kHostAudition = 17,
  kHostOrion = 18,
  kHostBias = 19,
  kHostSAWStudio = 20,
  kHostLogic = 21,
  kHostGarageBand = 22,
  kHostDigitalPerformer = 23,
  kHostStandalone = 24,
  kHostAudioMulch = 25,
  kHostStudioOne = 26,
  kHostVST3TestHost = 27,
  kHostArdour = 28
};

// Size of the buffer GetHostNameStr writes to (longest name plus terminator).
constexpr int kHostNameStrSize = 19;
// Host names are cut to this many bytes (terminator included) before lookup.
constexpr int kHostLookupBufSize = 256;

// Lower-cases the name and returns the id of the first table key found in it;
// kHostUnknown when none is (also for a null or empty name).
EHost LookUpHost(const char* name);

// Display name of a host id ("Unknown" for ids without one); out holds kHostNameStrSize bytes.
void GetHostNameStr(EHost host, char* out);

// Text for an API value ("VST2", "VST3", "AU", "RTAS", "AAX", "Standalone"), "" otherwise.
const char* GetAPIStr(int api);

// Space, tab, line feed and carriage return.
bool IsWhitespace(char c);

// Copies in to out with ASCII letters lower-cased; out must hold strlen(in) + 1 bytes.
void ToLower(char* out, const char* in);
