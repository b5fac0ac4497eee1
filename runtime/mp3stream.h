#pragma once
// The one kind of MP3 the music path lets through to a decoder: MPEG-1 Layer III at 44.1 kHz in
// two channels, the soundtrack's own format. SDL_mixer's MP3 decoding overruns its buffers on
// other rates and channel counts, and the noise after a bogus tag is full of such headers.
#include <cstddef>
#include <string>
#include <vector>

// True when data is, after at most one ID3v2 tag, a run of such frames, each header exactly
// where the frame before it ends, up to the end of the data or a closing 128-byte ID3v1 tag.
bool ismp3stream(const unsigned char* data, size_t size);

// Reads path whole (a regular file of at most 64 MB) and checks it with ismp3stream. False with
// why set ("data/x.mp3: No such file or directory", "data/x.mp3 is not a 44.1 kHz stereo MP3
// stream") when it cannot be read or is not such a stream.
bool readmp3stream(const char* path, std::vector<unsigned char>& bytes, std::string& why);
