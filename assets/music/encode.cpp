#include "assets/music/encode.h"

#include <lame/lame.h>

#include <cstdio>
#include <filesystem>
#include <memory>

#include "assets/music/synth.h"

namespace musicgen {
namespace {

// The MPEG audio synthesis filter bank delays every decoder's output by 529 samples.
constexpr int decoderdelay = 529;
constexpr int bitrate = 192;
constexpr size_t chunkframes = 8192;

struct LameCloser {
  void operator()(lame_global_flags* flags) const { lame_close(flags); }
};
using Encoder = std::unique_ptr<lame_global_flags, LameCloser>;

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

Encoder openencoder() {
  Encoder lame(lame_init());
  if (!lame) return nullptr;
  lame_set_in_samplerate(lame.get(), samplerate);
  lame_set_out_samplerate(lame.get(), samplerate);
  lame_set_num_channels(lame.get(), 2);
  lame_set_mode(lame.get(), JOINT_STEREO);
  lame_set_brate(lame.get(), bitrate);
  lame_set_quality(lame.get(), 2);
  // No leading info frame: it would decode as a frame of silence in decoders that skip nothing.
  lame_set_bWriteVbrTag(lame.get(), 0);
  if (lame_init_params(lame.get()) < 0) return nullptr;
  return lame;
}

bool encode(lame_global_flags* lame, const std::vector<int16_t>& pcm, std::FILE* out) {
  const size_t frames = pcm.size() / 2;
  const size_t skip = std::min(frames, static_cast<size_t>(lame_get_encoder_delay(lame) + decoderdelay));
  std::vector<unsigned char> buffer(chunkframes + chunkframes / 4 + 7200);
  for (size_t from = skip; from < frames; from += chunkframes) {
    const size_t count = std::min(chunkframes, frames - from);
    // LAME takes a non-const pointer but does not write through it.
    short* samples = const_cast<short*>(pcm.data() + 2 * from);
    const int bytes = lame_encode_buffer_interleaved(lame, samples, static_cast<int>(count),
                                                     buffer.data(), static_cast<int>(buffer.size()));
    if (bytes < 0 || std::fwrite(buffer.data(), 1, bytes, out) != static_cast<size_t>(bytes))
      return false;
  }
  const int bytes = lame_encode_flush(lame, buffer.data(), static_cast<int>(buffer.size()));
  return bytes >= 0 && std::fwrite(buffer.data(), 1, bytes, out) == static_cast<size_t>(bytes);
}

void put16(std::FILE* out, uint16_t v) {
  const unsigned char b[2] = {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8)};
  std::fwrite(b, 1, 2, out);
}
void put32(std::FILE* out, uint32_t v) {
  put16(out, static_cast<uint16_t>(v));
  put16(out, static_cast<uint16_t>(v >> 16));
}

bool finish(File file, const std::string& temporary, const std::string& path) {
  const bool flushed = std::fflush(file.get()) == 0 && !std::ferror(file.get());
  const bool closed = std::fclose(file.release()) == 0;
  std::error_code error;
  if (flushed && closed) std::filesystem::rename(temporary, path, error);
  if (!flushed || !closed || error) {
    std::filesystem::remove(temporary, error);
    return false;
  }
  return true;
}

File create(const std::string& path, std::string& temporary) {
  std::error_code error;
  const auto folder = std::filesystem::path(path).parent_path();
  if (!folder.empty()) std::filesystem::create_directories(folder, error);
  temporary = path + ".part";
  return File(std::fopen(temporary.c_str(), "wb"));
}

}  // namespace

bool writemp3(const std::vector<int16_t>& pcm, const std::string& path) {
  Encoder lame = openencoder();
  if (!lame) return false;
  std::string temporary;
  File out = create(path, temporary);
  if (!out) return false;
  if (!encode(lame.get(), pcm, out.get())) {
    out.reset();
    std::error_code error;
    std::filesystem::remove(temporary, error);
    return false;
  }
  return finish(std::move(out), temporary, path);
}

bool writewav(const std::vector<int16_t>& pcm, const std::string& path) {
  std::string temporary;
  File out = create(path, temporary);
  if (!out) return false;
  const uint32_t bytes = static_cast<uint32_t>(pcm.size() * 2);
  std::fwrite("RIFF", 1, 4, out.get());
  put32(out.get(), 36 + bytes);
  std::fwrite("WAVEfmt ", 1, 8, out.get());
  put32(out.get(), 16);
  put16(out.get(), 1);
  put16(out.get(), 2);
  put32(out.get(), samplerate);
  put32(out.get(), samplerate * 4);
  put16(out.get(), 4);
  put16(out.get(), 16);
  std::fwrite("data", 1, 4, out.get());
  put32(out.get(), bytes);
  for (int16_t v : pcm) put16(out.get(), static_cast<uint16_t>(v));
  return finish(std::move(out), temporary, path);
}

}  // namespace musicgen
