#include "tools/exportmedia.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "tools/wholefile.h"

namespace {
constexpr int samplerate = 44100;
constexpr int64_t audiobitrate = 192000;
constexpr const char* x264preset = "veryfast";

MovieSettings movie;
std::unique_ptr<WholeFile> part;  // the film under its temporary name until it is complete

AVFormatContext* output = nullptr;
AVCodecContext* video = nullptr;
AVCodecContext* audio = nullptr;
AVStream* videostream = nullptr;
AVStream* audiostream = nullptr;
SwsContext* scaler = nullptr;
AVFrame* picture = nullptr;
AVFrame* sound = nullptr;
AVPacket* packet = nullptr;
int64_t framecount = 0;

// The soundtrack as it is read: decoded, converted to the encoder's format and queued.
AVFormatContext* source = nullptr;
AVCodecContext* decoder = nullptr;
int sourcestream = -1;
SwrContext* resampler = nullptr;
AVAudioFifo* fifo = nullptr;
AVFrame* decoded = nullptr;
AVFrame* converted = nullptr;
AVPacket* sourcepacket = nullptr;
bool sourceended = false;
int64_t skipsamples = 0;    // still to drop before the clip begins
int64_t wantedsamples = 0;  // the clip's length
int64_t sentsamples = 0;    // handed to the encoder so far

double encodetime = 0;

bool fail(const char* what, int error = 0) {
  char reason[AV_ERROR_MAX_STRING_SIZE] = "";
  if (error) av_strerror(error, reason, sizeof reason);
  std::fprintf(stderr, "tessivar-export: %s%s%s\n", what, error ? ": " : "", reason);
  return false;
}

bool failon(const char* what, const std::string& name, int error) {
  return fail((what + (" " + name)).c_str(), error);
}

void closeall() {
  if (output && output->pb) avio_closep(&output->pb);
  avformat_free_context(output);
  output = nullptr;
  avcodec_free_context(&video);
  avcodec_free_context(&audio);
  sws_freeContext(scaler);
  scaler = nullptr;
  av_frame_free(&picture);
  av_frame_free(&sound);
  av_packet_free(&packet);
  avformat_close_input(&source);
  avcodec_free_context(&decoder);
  swr_free(&resampler);
  if (fifo) av_audio_fifo_free(fifo);
  fifo = nullptr;
  av_frame_free(&decoded);
  av_frame_free(&converted);
  av_packet_free(&sourcepacket);
}

bool openoutput() {
  const AVOutputFormat* format = av_guess_format(nullptr, movie.path.c_str(), nullptr);
  if (!format) return fail("no container for that file name (use .mp4 or .mkv)");
  part = std::make_unique<WholeFile>(movie.path);
  if (!part->stream()) {
    std::fprintf(stderr, "tessivar-export: cannot write %s: %s\n", movie.path.c_str(),
                 part->error().c_str());
    return false;
  }
  int error = avformat_alloc_output_context2(&output, format, nullptr, part->path().c_str());
  if (error < 0) return fail("cannot set up the container", error);
  error = avio_open(&output->pb, part->path().c_str(), AVIO_FLAG_WRITE);
  if (error < 0) return failon("cannot write", movie.path, error);
  packet = av_packet_alloc();
  return packet != nullptr || fail("out of memory");
}

AVStream* addstream(AVCodecContext* codec) {
  AVStream* stream = avformat_new_stream(output, nullptr);
  if (!stream || avcodec_parameters_from_context(stream->codecpar, codec) < 0) return nullptr;
  stream->time_base = codec->time_base;
  return stream;
}

// H.264 in 4:2:0 with BT.601 colours, as swscale converts them.
bool openvideo() {
  const AVCodec* codec = avcodec_find_encoder_by_name("libx264");
  if (!codec) codec = avcodec_find_encoder(AV_CODEC_ID_H264);
  if (!codec) return fail("this FFmpeg has no H.264 encoder (libx264)");
  video = avcodec_alloc_context3(codec);
  if (!video) return fail("out of memory");
  video->width = movie.width;
  video->height = movie.height;
  video->time_base = AVRational{1, movie.fps};
  video->framerate = AVRational{movie.fps, 1};
  video->pix_fmt = AV_PIX_FMT_YUV420P;
  video->color_range = AVCOL_RANGE_MPEG;
  video->colorspace = AVCOL_SPC_SMPTE170M;
  video->color_primaries = AVCOL_PRI_SMPTE170M;
  video->color_trc = AVCOL_TRC_SMPTE170M;
  video->thread_count = 0;  // the encoder's own threads, beside the drawing
  if (output->oformat->flags & AVFMT_GLOBALHEADER) video->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  av_opt_set(video->priv_data, "preset", x264preset, 0);
  av_opt_set(video->priv_data, "crf", std::to_string(movie.quality).c_str(), 0);
  const int error = avcodec_open2(video, codec, nullptr);
  if (error < 0) return fail("cannot start the H.264 encoder", error);
  videostream = addstream(video);
  if (!videostream) return fail("cannot add the video stream");
  videostream->avg_frame_rate = video->framerate;
  picture = av_frame_alloc();
  if (!picture) return fail("out of memory");
  picture->format = video->pix_fmt;
  picture->width = movie.width;
  picture->height = movie.height;
  if (av_frame_get_buffer(picture, 0) < 0) return fail("out of memory");
  scaler = sws_getContext(movie.width, movie.height, AV_PIX_FMT_RGB24, movie.width, movie.height,
                          AV_PIX_FMT_YUV420P, SWS_BICUBIC, nullptr, nullptr, nullptr);
  return scaler != nullptr || fail("cannot convert RGB frames to YUV");
}

// The encoder's preferred sample format (FFmpeg 7.1 replaced the codec's own list with a query).
AVSampleFormat firstsampleformat(const AVCodec* codec) {
#if LIBAVCODEC_VERSION_INT >= AV_VERSION_INT(61, 13, 100)
  const void* formats = nullptr;
  int count = 0;
  if (avcodec_get_supported_config(nullptr, codec, AV_CODEC_CONFIG_SAMPLE_FORMAT, 0, &formats,
                                   &count) >= 0 && formats && count > 0)
    return static_cast<const AVSampleFormat*>(formats)[0];
  return AV_SAMPLE_FMT_FLTP;
#else
  return codec->sample_fmts ? codec->sample_fmts[0] : AV_SAMPLE_FMT_FLTP;
#endif
}

bool openaudio() {
  const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_AAC);
  if (!codec) return fail("this FFmpeg has no AAC encoder");
  audio = avcodec_alloc_context3(codec);
  if (!audio) return fail("out of memory");
  audio->sample_fmt = firstsampleformat(codec);
  audio->sample_rate = samplerate;
  av_channel_layout_default(&audio->ch_layout, 2);
  audio->bit_rate = audiobitrate;
  audio->time_base = AVRational{1, samplerate};
  if (output->oformat->flags & AVFMT_GLOBALHEADER) audio->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  const int error = avcodec_open2(audio, codec, nullptr);
  if (error < 0) return fail("cannot start the AAC encoder", error);
  audiostream = addstream(audio);
  if (!audiostream) return fail("cannot add the audio stream");
  sound = av_frame_alloc();
  if (!sound) return fail("out of memory");
  sound->format = audio->sample_fmt;
  sound->sample_rate = samplerate;
  sound->nb_samples = audio->frame_size > 0 ? audio->frame_size : 1024;
  av_channel_layout_copy(&sound->ch_layout, &audio->ch_layout);
  return av_frame_get_buffer(sound, 0) >= 0 || fail("out of memory");
}

bool opensource() {
  int error = avformat_open_input(&source, movie.music.c_str(), nullptr, nullptr);
  if (error < 0) return failon("cannot read the soundtrack", movie.music, error);
  error = avformat_find_stream_info(source, nullptr);
  const AVCodec* codec = nullptr;
  if (error >= 0)
    error = sourcestream = av_find_best_stream(source, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
  if (error < 0) return failon("no sound in", movie.music, error);
  decoder = avcodec_alloc_context3(codec);
  if (!decoder) return fail("out of memory");
  avcodec_parameters_to_context(decoder, source->streams[sourcestream]->codecpar);
  error = avcodec_open2(decoder, codec, nullptr);
  if (error < 0) return failon("cannot decode", movie.music, error);
  error = swr_alloc_set_opts2(&resampler, &audio->ch_layout, audio->sample_fmt, samplerate,
                              &decoder->ch_layout, decoder->sample_fmt, decoder->sample_rate, 0,
                              nullptr);
  if (error >= 0) error = swr_init(resampler);
  if (error < 0) return fail("cannot convert the soundtrack", error);
  fifo = av_audio_fifo_alloc(audio->sample_fmt, audio->ch_layout.nb_channels, 4096);
  decoded = av_frame_alloc();
  converted = av_frame_alloc();
  sourcepacket = av_packet_alloc();
  if (!fifo || !decoded || !converted || !sourcepacket) return fail("out of memory");
  skipsamples = std::llround(movie.from * samplerate);
  wantedsamples = std::llround(movie.to * samplerate) - skipsamples;
  return true;
}

// Queues the converted samples that fall inside the clip.
bool queue(AVFrame* frame) {
  const int64_t drop = std::min<int64_t>(skipsamples, frame->nb_samples);
  skipsamples -= drop;
  const int count = frame->nb_samples - static_cast<int>(drop);
  if (count == 0) return true;
  const int channels = frame->ch_layout.nb_channels;
  const bool planar = av_sample_fmt_is_planar(static_cast<AVSampleFormat>(frame->format));
  const size_t step = size_t(av_get_bytes_per_sample(static_cast<AVSampleFormat>(frame->format))) *
                      (planar ? 1 : channels);
  void* planes[AV_NUM_DATA_POINTERS] = {};
  for (int c = 0; c < (planar ? channels : 1); ++c)
    planes[c] = frame->extended_data[c] + drop * step;
  return av_audio_fifo_write(fifo, planes, count) == count || fail("out of memory");
}

bool convert(const AVFrame* input) {
  converted->format = audio->sample_fmt;
  converted->sample_rate = samplerate;
  av_channel_layout_copy(&converted->ch_layout, &audio->ch_layout);
  const int error = swr_convert_frame(resampler, converted, input);
  const bool queued = error >= 0 ? queue(converted) : fail("cannot convert the soundtrack", error);
  av_frame_unref(converted);
  return queued;
}

// Decodes the soundtrack until some samples are queued or it has ended.
bool decodemore() {
  for (;;) {
    int error = avcodec_receive_frame(decoder, decoded);
    if (error == 0) {
      const bool queued = convert(decoded);
      av_frame_unref(decoded);
      return queued;
    }
    if (error == AVERROR_EOF) {
      sourceended = true;
      return convert(nullptr);  // what the converter still holds
    }
    if (error != AVERROR(EAGAIN)) return failon("cannot decode", movie.music, error);
    error = av_read_frame(source, sourcepacket);
    if (error == AVERROR_EOF) {
      error = avcodec_send_packet(decoder, nullptr);
    } else if (error >= 0) {
      if (sourcepacket->stream_index == sourcestream)
        error = avcodec_send_packet(decoder, sourcepacket);
      av_packet_unref(sourcepacket);
    }
    if (error < 0 && error != AVERROR_INVALIDDATA) return failon("cannot read", movie.music, error);
  }
}

// Hands a frame (or, with nullptr, the end) to an encoder and writes what comes out.
bool encode(AVCodecContext* codec, AVStream* stream, const AVFrame* frame) {
  int error = avcodec_send_frame(codec, frame);
  while (error >= 0) {
    error = avcodec_receive_packet(codec, packet);
    if (error == AVERROR(EAGAIN) || error == AVERROR_EOF) return true;
    if (error < 0) break;
    av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
    packet->stream_index = stream->index;
    error = av_interleaved_write_frame(output, packet);
    if (error < 0) return failon("cannot write", movie.path, error);
  }
  return fail("the encoder failed", error);
}

// Encodes the soundtrack up to the given sample of the clip; past its end the clip is silent.
bool pumpaudio(int64_t until) {
  until = std::min(until, wantedsamples);
  while (sentsamples < until) {
    const int need =
        static_cast<int>(std::min<int64_t>(sound->nb_samples, wantedsamples - sentsamples));
    while (av_audio_fifo_size(fifo) < need && !sourceended)
      if (!decodemore()) return false;
    if (av_frame_make_writable(sound) < 0) return fail("out of memory");
    const int got =
        std::max(0, av_audio_fifo_read(fifo, reinterpret_cast<void**>(sound->data), need));
    av_samples_set_silence(sound->data, got, need - got, sound->ch_layout.nb_channels,
                           audio->sample_fmt);
    const int full = sound->nb_samples;
    sound->nb_samples = need;
    sound->pts = sentsamples;
    sentsamples += need;
    const bool encoded = encode(audio, audiostream, sound);
    sound->nb_samples = full;
    if (!encoded) return false;
  }
  return true;
}

double secondssince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}
}  // namespace

bool openmovie(const MovieSettings& settings) {
  abandonmovie();
  av_log_set_level(AV_LOG_QUIET);  // failures are told in one line of our own
  movie = settings;
  framecount = sentsamples = 0;
  sourceended = false;
  encodetime = 0;
  AVDictionary* options = nullptr;
  // The index goes first, so that players can start before the whole file has arrived.
  av_dict_set(&options, "movflags", "+faststart", 0);
  bool opened = openoutput() && openvideo() && openaudio() && opensource();
  if (opened) {
    const int error = avformat_write_header(output, &options);
    opened = error >= 0 || failon("cannot write", movie.path, error);
  }
  av_dict_free(&options);
  if (!opened) abandonmovie();
  return opened;
}

bool addframe(const unsigned char* rgb) {
  const auto start = std::chrono::steady_clock::now();
  if (av_frame_make_writable(picture) < 0) return fail("out of memory");
  const uint8_t* const rows[1] = {rgb};
  const int stride[1] = {3 * movie.width};
  sws_scale(scaler, rows, stride, 0, movie.height, picture->data, picture->linesize);
  picture->pts = framecount++;
  // The sound is kept up to the end of this frame, so the file interleaves the two evenly.
  const bool added =
      encode(video, videostream, picture) && pumpaudio(framecount * samplerate / movie.fps);
  encodetime += secondssince(start);
  return added;
}

bool finishmovie() {
  const auto start = std::chrono::steady_clock::now();
  bool finished = pumpaudio(wantedsamples) && encode(audio, audiostream, nullptr) &&
                  encode(video, videostream, nullptr);
  if (finished) {
    const int error = av_write_trailer(output);
    finished = error >= 0 || failon("cannot write", movie.path, error);
  }
  if (finished) {
    const int error = avio_closep(&output->pb);
    finished = error >= 0 || failon("cannot write", movie.path, error);
  }
  if (finished && !part->commit()) {
    std::fprintf(stderr, "tessivar-export: cannot write %s: %s\n", movie.path.c_str(),
                 part->error().c_str());
    finished = false;
  }
  encodetime += secondssince(start);
  abandonmovie();
  return finished;
}

void abandonmovie() {
  closeall();
  part.reset();  // removes the temporary file unless it was put in place
}

double encodingseconds() { return encodetime; }
