// The container and encoding of a sound output, chosen as sox does: from the output's extension
// when it names a container libsndfile writes (or from an explicit type name, which wins), else the
// input's own. The input's encoding is kept where the container takes it; otherwise the nearest it
// does (float into FLAC becomes 24-bit), and a lossy container gets its own codec.
#pragma once

#include <string>

// The libsndfile container (major type) for an extension or type name such as "wav", "flac", "aif"
// or "ogg" (case ignored); 0 when libsndfile has no container of that name. *subtype receives a
// codec the name implies ("opus"), else 0.
int ContainerForName(const std::string& name, int* subtype = nullptr);

// The format word for the output at path. typeName, when not empty, overrides the extension.
// inputFormat is the input's libsndfile format word. False, with a message, for an extension or
// type that names no container libsndfile writes, or one that cannot hold this channel count or
// sample rate.
bool ChooseOutputFormat(const std::string& path, const std::string& typeName, int inputFormat, int channels,
                        int sampleRate, int& format, std::string& error);
