#include "runtime/mp3stream.h"

#include "toolkit/descriptors.h"

namespace {
constexpr size_t headerbytes = 4;
constexpr size_t id3v1bytes = 128;
constexpr size_t largestfile = size_t(64) << 20;
// MPEG-1 Layer III bit rates in kbit/s by index; 0 (free format) and 15 are refused.
constexpr int bitrates[16] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};

// The length of the frame whose header starts at h, or 0 when it is no MPEG-1 Layer III header
// at 44.1 kHz in two channels.
size_t framelength(const unsigned char* h) {
  const bool sync = h[0] == 0xFF && (h[1] & 0xE0) == 0xE0;
  const bool mpeg1layer3 = ((h[1] >> 3) & 3) == 3 && ((h[1] >> 1) & 3) == 1;
  const int kbps = bitrates[h[2] >> 4];
  const bool rate44100 = ((h[2] >> 2) & 3) == 0;
  const bool stereo = (h[3] >> 6) != 3;
  const bool emphasis = (h[3] & 3) != 2;
  if (!sync || !mpeg1layer3 || !kbps || !rate44100 || !stereo || !emphasis) return 0;
  const size_t padding = (h[2] >> 1) & 1;
  return 144000u * kbps / 44100 + padding;
}

// The length of an ID3v2 tag at the start of data (header, body and any footer), 0 for none.
size_t id3v2length(const unsigned char* data, size_t size) {
  if (size < 10 || data[0] != 'I' || data[1] != 'D' || data[2] != '3') return 0;
  const bool sane = data[3] >= 2 && data[3] <= 4 && data[4] != 0xFF && data[6] < 0x80 &&
                    data[7] < 0x80 && data[8] < 0x80 && data[9] < 0x80;
  if (!sane) return size + 1;  // "ID3" that is no tag: never a stream
  const size_t body = size_t(data[6]) << 21 | size_t(data[7]) << 14 | size_t(data[8]) << 7 | data[9];
  const size_t footer = (data[5] & 0x10) ? 10 : 0;
  return 10 + body + footer;
}

// True when frames chain from at to exactly end, at least one of them.
bool framesreach(const unsigned char* data, size_t at, size_t end) {
  size_t frames = 0;
  while (end - at >= headerbytes) {
    const size_t length = framelength(data + at);
    if (length == 0 || length > end - at) return false;
    at += length;
    ++frames;
  }
  return frames > 0 && at == end;
}

bool hasid3v1(const unsigned char* data, size_t size) {
  return size >= id3v1bytes && data[size - id3v1bytes] == 'T' &&
         data[size - id3v1bytes + 1] == 'A' && data[size - id3v1bytes + 2] == 'G';
}
}  // namespace

bool ismp3stream(const unsigned char* data, size_t size) {
  const size_t start = id3v2length(data, size);
  if (start > size) return false;
  if (framesreach(data, start, size)) return true;
  return hasid3v1(data, size) && size - id3v1bytes >= start &&
         framesreach(data, start, size - id3v1bytes);
}

bool readmp3stream(const char* path, std::vector<unsigned char>& bytes, std::string& why) {
  int error = 0;
  if (!readregular(path, largestfile, bytes, why, error)) {
    why = std::string(path) + ": " + why;
    return false;
  }
  if (ismp3stream(bytes.data(), bytes.size())) return true;
  why = std::string(path) + " is not a 44.1 kHz stereo MP3 stream";
  return false;
}
