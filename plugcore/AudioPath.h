#pragma once
// BRINDLE_AUDIO_PATH marks a function that runs on the host's render thread: rendering, pulling
// input, attaching the host's buffers and writing them back, and the effect's processing.
//
// Such a function takes no lock, allocates and frees nothing and does no I/O; it may call only
// other marked functions, the host's own render callbacks and plain arithmetic. The files that hold
// marked functions hold no function that takes the plug-in's lock, so that a reader can check one
// file at a time. The marker costs nothing: it expands to nothing.

#define BRINDLE_AUDIO_PATH
