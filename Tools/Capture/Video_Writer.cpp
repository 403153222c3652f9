// One worker thread owns every FFmpeg object after Open: the caller only
// queues copies of frames and sound, so rendering never waits on the encoder
// unless the queue is full.
#include "Tools/Capture/Video_Writer.h"

extern "C"
{
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>

#include "Tools/Capture/Output_File.h"

namespace Ryx_Capture
{
    namespace
    {
        using Clock = std::chrono::steady_clock;

        // Besides x264: encoders FFmpeg may have that take plain 4:2:0 frames.
        // (VAAPI wants frames in video memory and is left out.)
        const char* const H264_Names[] = {"libx264",      "libopenh264", "h264_nvenc", "h264_amf",
                                          "h264_v4l2m2m", "h264_omx",    "h264_mf",    "h264_videotoolbox"};

        // Bits a pixel for the encoders that take a bit rate instead of a quality:
        // about the default x264 video's size.
        constexpr double Fallback_Bits_Per_Pixel = 0.2;

        std::string Av_Error(int code)
        {
            char text[AV_ERROR_MAX_STRING_SIZE] = {};
            av_strerror(code, text, sizeof text);
            return text;
        }

        double Since(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

        struct Job
        {
            bool is_frame = false;
            std::vector<std::uint32_t> pixels;
            std::vector<std::int16_t> samples;
        };

        class Video_Writer_Impl : public Video_Writer
        {
        public:
            Video_Writer_Impl(std::string path, const Video_Settings& settings)
                : m_path(std::move(path)), m_settings(settings),
                  m_matroska(m_path.size() >= 4 && m_path.compare(m_path.size() - 4, 4, ".mkv") == 0)
            {
                m_temp.Set(m_path + ".part");
            }

            ~Video_Writer_Impl() override
            {
                Stop_Worker();
                Release();
                if (!m_temp.Get_Path().empty())
                    unlink(m_temp.Get_Path().c_str());
            }

            bool Open(std::string& error, std::string& note)
            {
                struct stat info;
                if (stat(m_path.c_str(), &info) == 0 && !S_ISREG(info.st_mode))
                    return error = "cannot write " + m_path + ": a video needs a plain file", false;
                int r = avformat_alloc_output_context2(&m_format, nullptr, m_matroska ? "matroska" : "mp4",
                                                       m_temp.Get_Path().c_str());
                if (r < 0 || !m_format)
                    return error = std::string("this FFmpeg cannot write ") + (m_matroska ? "Matroska" : "MP4"), false;
                if (!Open_Video(error, note) || !Open_Audio(error))
                    return false;
                r = avio_open(&m_format->pb, m_temp.Get_Path().c_str(), AVIO_FLAG_WRITE);
                if (r < 0)
                    return error = "cannot write " + m_path + ": " + Av_Error(r), false;
                AVDictionary* options = nullptr;
                if (!m_matroska)
                    av_dict_set(&options, "movflags", "+faststart", 0);  // playable while it downloads
                r = avformat_write_header(m_format, &options);
                av_dict_free(&options);
                if (r < 0)
                    return error = "cannot write " + m_path + ": " + Av_Error(r), false;
                m_worker = std::thread([this] { Work(); });
                return true;
            }

            bool Add_Frame(const std::uint32_t* pixels) override
            {
                Job job;
                job.is_frame = true;
                const Frame_Layout& l = m_settings.layout;
                job.pixels.assign(pixels, pixels + std::size_t(l.source_width) * l.source_height);
                return Queue(std::move(job));
            }

            bool Add_Audio(const std::int16_t* samples, std::size_t frames) override
            {
                if (frames == 0)
                    return true;
                Job job;
                job.samples.assign(samples, samples + frames * 2);
                return Queue(std::move(job));
            }

            bool Finish(std::string& error) override
            {
                Stop_Worker();
                if (!m_failed)
                    Drain_Audio(true);
                if (!m_failed)
                    Encode_Video(nullptr);
                if (!m_failed)
                    Encode_Audio_Frame(nullptr);
                if (!m_failed)
                {
                    int r = av_write_trailer(m_format);
                    if (r < 0)
                        Fail("cannot write " + m_path + ": " + Av_Error(r));
                }
                if (m_format && m_format->pb)
                {
                    int r = avio_closep(&m_format->pb);
                    if (r < 0)
                        Fail("cannot write " + m_path + ": " + Av_Error(r));
                }
                if (m_failed)
                {
                    error = m_error;
                    return false;
                }
                return true;
            }

            bool Commit(std::string& error) override
            {
                if (std::rename(m_temp.Get_Path().c_str(), m_path.c_str()) != 0)
                    return error = "cannot rename " + m_temp.Get_Path() + " to " + m_path + ": " + std::strerror(errno),
                           false;
                m_temp.Clear();
                return true;
            }

            std::uint64_t Get_Size() const override
            {
                struct stat info;
                const std::string& p = m_temp.Get_Path().empty() ? m_path : m_temp.Get_Path();
                return stat(p.c_str(), &info) == 0 ? std::uint64_t(info.st_size) : 0;
            }

            double Get_Encode_Seconds() const override { return m_encode_seconds; }
            double Get_Enlarge_Seconds() const override { return m_enlarge_seconds; }

            void Wait_Until_Idle() override
            {
                std::unique_lock<std::mutex> lock(m_mutex);
                m_space.wait(lock, [this] { return (m_jobs.empty() && !m_busy) || m_failed_flag; });
            }

        private:
            bool Identity() const
            {
                const Frame_Layout& l = m_settings.layout;
                return l.width == l.source_width && l.height == l.source_height;
            }

            AVCodecContext* New_Video_Context(const AVCodec* codec, AVPixelFormat format)
            {
                AVCodecContext* c = avcodec_alloc_context3(codec);
                if (!c)
                    return nullptr;
                c->width = m_settings.layout.width;
                c->height = m_settings.layout.height;
                c->time_base = AVRational{1, m_settings.fps};
                c->framerate = AVRational{m_settings.fps, 1};
                c->sample_aspect_ratio = AVRational{1, 1};
                c->pix_fmt = format;
                c->thread_count = 2;
                if (format == AV_PIX_FMT_YUV420P)
                {
                    // The pixels are sRGB, whose primaries are BT.709's; the
                    // conversion below uses BT.709's matrix in video range.
                    c->colorspace = AVCOL_SPC_BT709;
                    c->color_primaries = AVCOL_PRI_BT709;
                    c->color_trc = AVCOL_TRC_BT709;
                    c->color_range = AVCOL_RANGE_MPEG;
                }
                if (m_format->oformat->flags & AVFMT_GLOBALHEADER)
                    c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
                return c;
            }

            static bool Takes(const AVCodec* codec, AVPixelFormat format)
            {
                for (const AVPixelFormat* p = codec->pix_fmts; p && *p != AV_PIX_FMT_NONE; ++p)
                    if (*p == format)
                        return true;
                return false;
            }

            bool Open_Video(std::string& error, std::string& note)
            {
                m_video_stream = avformat_new_stream(m_format, nullptr);
                if (!m_video_stream)
                    return error = "out of memory", false;
                std::string name;
                if (m_matroska || m_settings.lossless)
                {
                    name = m_matroska ? "ffv1" : "libx264rgb";
                    const AVCodec* codec = avcodec_find_encoder_by_name(name.c_str());
                    if (!codec)
                        return error = m_matroska ? "this FFmpeg has no FFV1 encoder for .mkv"
                                                  : "this FFmpeg has no libx264rgb for --lossless: write FILE.mkv "
                                                    "for lossless FFV1 instead",
                               false;
                    m_video = New_Video_Context(codec, AV_PIX_FMT_BGR0);
                    if (!m_video)
                        return error = "out of memory", false;
                    if (m_matroska)
                    {
                        m_video->gop_size = 1;
                        av_opt_set_int(m_video->priv_data, "level", 3, 0);
                        av_opt_set_int(m_video->priv_data, "slices", 4, 0);
                        av_opt_set_int(m_video->priv_data, "slicecrc", 1, 0);
                    }
                    else
                    {
                        m_video->gop_size = m_settings.fps * 2;
                        av_opt_set(m_video->priv_data, "preset", "ultrafast", 0);
                        av_opt_set(m_video->priv_data, "qp", "0", 0);
                    }
                    int r = avcodec_open2(m_video, codec, nullptr);
                    if (r < 0)
                        return error = "cannot open the " + name + " encoder: " + Av_Error(r), false;
                }
                else
                {
                    std::vector<std::string> names =
                        H264_Encoders([](const char* n) { return avcodec_find_encoder_by_name(n) != nullptr; });
                    // Hardware encoders say at length why they cannot open here.
                    av_log_set_level(AV_LOG_QUIET);
                    for (const std::string& candidate : names)
                    {
                        const AVCodec* codec = avcodec_find_encoder_by_name(candidate.c_str());
                        if (!Takes(codec, AV_PIX_FMT_YUV420P))
                            continue;
                        m_video = New_Video_Context(codec, AV_PIX_FMT_YUV420P);
                        if (!m_video)
                            return error = "out of memory", false;
                        m_video->gop_size = m_settings.fps * 2;
                        if (candidate == "libx264")
                        {
                            av_opt_set(m_video->priv_data, "preset", m_settings.preset.c_str(), 0);
                            av_opt_set_int(m_video->priv_data, "crf", m_settings.crf, 0);
                        }
                        else
                            m_video->bit_rate = std::int64_t(Fallback_Bits_Per_Pixel * m_video->width *
                                                             m_video->height * m_settings.fps);
                        if (avcodec_open2(m_video, codec, nullptr) >= 0)
                        {
                            name = candidate;
                            break;
                        }
                        avcodec_free_context(&m_video);
                    }
                    av_log_set_level(AV_LOG_ERROR);
                    if (name.empty())
                        return error = "this FFmpeg has no H.264 encoder that works here (libx264 is missing): "
                                       "install FFmpeg with libx264, or write FILE.mkv",
                               false;
                    if (name != "libx264")
                        note = "this FFmpeg has no libx264: encoding H.264 with " + name +
                            " instead, at a set bit rate (--crf and --preset do not apply)";
                }
                avcodec_parameters_from_context(m_video_stream->codecpar, m_video);
                m_video_stream->time_base = m_video->time_base;
                m_video_stream->avg_frame_rate = m_video->framerate;
                m_video_stream->sample_aspect_ratio = m_video->sample_aspect_ratio;

                m_picture = av_frame_alloc();
                if (!m_picture || !Allocate(m_picture, m_video->pix_fmt, m_video->width, m_video->height))
                    return error = "out of memory", false;
                if (m_video->pix_fmt == AV_PIX_FMT_YUV420P)
                {
                    const Frame_Layout& l = m_settings.layout;
                    m_scaler =
                        sws_getContext(l.source_width, l.source_height, AV_PIX_FMT_BGR0, l.source_width,
                                       l.source_height, AV_PIX_FMT_YUV420P, SWS_BILINEAR, nullptr, nullptr, nullptr);
                    if (!m_scaler)
                        return error = "no colour converter", false;
                    const int* bt709 = sws_getCoefficients(SWS_CS_ITU709);
                    sws_setColorspaceDetails(m_scaler, bt709, 1, bt709, 0, 0, 1 << 16, 1 << 16);
                    if (!Identity())
                    {
                        m_small = av_frame_alloc();
                        if (!m_small || !Allocate(m_small, AV_PIX_FMT_YUV420P, l.source_width, l.source_height))
                            return error = "out of memory", false;
                    }
                }
                m_packet = av_packet_alloc();
                return m_packet != nullptr || (error = "out of memory", false);
            }

            static bool Allocate(AVFrame* frame, AVPixelFormat format, int width, int height)
            {
                frame->format = format;
                frame->width = width;
                frame->height = height;
                return av_frame_get_buffer(frame, 0) >= 0;
            }

            bool Open_Audio(std::string& error)
            {
                const AVCodec* codec = avcodec_find_encoder(m_matroska ? AV_CODEC_ID_FLAC : AV_CODEC_ID_AAC);
                if (!codec || !codec->sample_fmts)
                    return error = m_matroska ? "this FFmpeg has no FLAC encoder" : "this FFmpeg has no AAC encoder",
                           false;
                m_audio_stream = avformat_new_stream(m_format, nullptr);
                m_audio = avcodec_alloc_context3(codec);
                if (!m_audio_stream || !m_audio)
                    return error = "out of memory", false;
                m_audio->sample_fmt = codec->sample_fmts[0];  // FLTP for AAC, S16 for FLAC
                m_audio->sample_rate = m_settings.audio_rate;
                if (!m_matroska)
                    m_audio->bit_rate = m_settings.audio_bit_rate;
                av_channel_layout_default(&m_audio->ch_layout, 2);
                m_audio->time_base = AVRational{1, m_settings.audio_rate};
                if (m_format->oformat->flags & AVFMT_GLOBALHEADER)
                    m_audio->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
                int r = avcodec_open2(m_audio, codec, nullptr);
                if (r < 0)
                    return error = "cannot open the sound encoder: " + Av_Error(r), false;
                avcodec_parameters_from_context(m_audio_stream->codecpar, m_audio);
                m_audio_stream->time_base = m_audio->time_base;
                m_frame_size = m_audio->frame_size > 0 ? m_audio->frame_size : 1024;

                AVChannelLayout stereo;
                av_channel_layout_default(&stereo, 2);
                r = swr_alloc_set_opts2(&m_resampler, &stereo, m_audio->sample_fmt, m_settings.audio_rate, &stereo,
                                        AV_SAMPLE_FMT_S16, m_settings.audio_rate, 0, nullptr);
                if (r < 0 || swr_init(m_resampler) < 0)
                    return error = "no sample converter", false;
                m_fifo = av_audio_fifo_alloc(m_audio->sample_fmt, 2, m_frame_size * 4);
                m_sound = av_frame_alloc();
                return (m_fifo && m_sound) || (error = "out of memory", false);
            }

            bool Queue(Job job)
            {
                std::unique_lock<std::mutex> lock(m_mutex);
                m_space.wait(lock, [this] { return m_jobs.size() < 8 || m_failed_flag; });
                if (m_failed_flag)
                    return false;
                m_jobs.push_back(std::move(job));
                m_ready.notify_one();
                return true;
            }

            void Work()
            {
                for (;;)
                {
                    Job job;
                    {
                        std::unique_lock<std::mutex> lock(m_mutex);
                        m_ready.wait(lock, [this] { return !m_jobs.empty() || m_stopping; });
                        if (m_jobs.empty())
                            return;
                        job = std::move(m_jobs.front());
                        m_jobs.pop_front();
                        m_busy = true;
                        m_space.notify_all();
                    }
                    auto start = Clock::now();
                    if (!m_failed)
                    {
                        if (job.is_frame)
                            Encode_Picture(job.pixels.data());
                        else
                            Encode_Sound(job.samples.data(), job.samples.size() / 2);
                    }
                    m_encode_seconds += Since(start);
                    {
                        std::lock_guard<std::mutex> lock(m_mutex);
                        m_busy = false;
                        if (m_failed)
                            m_failed_flag = true;
                        m_space.notify_all();
                    }
                }
            }

            void Stop_Worker()
            {
                if (!m_worker.joinable())
                    return;
                {
                    std::lock_guard<std::mutex> lock(m_mutex);
                    m_stopping = true;
                    m_ready.notify_all();
                }
                m_worker.join();
            }

            void Encode_Picture(const std::uint32_t* pixels)
            {
                if (av_frame_make_writable(m_picture) < 0)
                    return Fail("out of memory");
                const Frame_Layout& l = m_settings.layout;
                if (m_video->pix_fmt != AV_PIX_FMT_YUV420P)
                {
                    auto start = Clock::now();
                    Enlarge(pixels, l.source_width, l, reinterpret_cast<std::uint32_t*>(m_picture->data[0]),
                            m_picture->linesize[0] / 4, 0);
                    m_enlarge_seconds += Since(start);
                }
                else
                {
                    // Colour conversion at the show's size; enlarging the
                    // three planes after it costs a copy, not a conversion.
                    AVFrame* target = m_small ? m_small : m_picture;
                    const std::uint8_t* planes[1] = {reinterpret_cast<const std::uint8_t*>(pixels)};
                    int strides[1] = {l.source_width * 4};
                    sws_scale(m_scaler, planes, strides, 0, l.source_height, target->data, target->linesize);
                    if (m_small)
                    {
                        auto start = Clock::now();
                        Enlarge_Plane(m_small->data[0], m_small->linesize[0], l, 1, m_picture->data[0],
                                      m_picture->linesize[0], 16);
                        for (int p = 1; p < 3; ++p)
                            Enlarge_Plane(m_small->data[p], m_small->linesize[p], l, 2, m_picture->data[p],
                                          m_picture->linesize[p], 128);
                        m_enlarge_seconds += Since(start);
                    }
                }
                m_picture->pts = m_video_frames++;
                Encode_Video(m_picture);
            }

            void Encode_Video(AVFrame* frame)
            {
                int r = avcodec_send_frame(m_video, frame);
                if (r < 0)
                    return Fail("video encoding failed: " + Av_Error(r));
                Write_Packets(m_video, m_video_stream);
            }

            void Encode_Sound(const std::int16_t* samples, std::size_t frames)
            {
                std::uint8_t** converted = nullptr;
                if (av_samples_alloc_array_and_samples(&converted, nullptr, 2, int(frames), m_audio->sample_fmt, 0) < 0)
                    return Fail("out of memory");
                const std::uint8_t* in[1] = {reinterpret_cast<const std::uint8_t*>(samples)};
                int count = swr_convert(m_resampler, converted, int(frames), in, int(frames));
                if (count < 0)
                    Fail("sample conversion failed");
                else if (av_audio_fifo_write(m_fifo, reinterpret_cast<void**>(converted), count) < count)
                    Fail("out of memory");
                av_freep(&converted[0]);
                av_freep(&converted);
                Drain_Audio(false);
            }

            // Whole encoder frames of sound; at the end also the last partial one.
            void Drain_Audio(bool final)
            {
                while (!m_failed &&
                       (av_audio_fifo_size(m_fifo) >= m_frame_size || (final && av_audio_fifo_size(m_fifo) > 0)))
                {
                    int n = std::min(m_frame_size, av_audio_fifo_size(m_fifo));
                    av_frame_unref(m_sound);
                    m_sound->nb_samples = n;
                    m_sound->format = m_audio->sample_fmt;
                    m_sound->sample_rate = m_audio->sample_rate;
                    av_channel_layout_copy(&m_sound->ch_layout, &m_audio->ch_layout);
                    if (av_frame_get_buffer(m_sound, 0) < 0)
                        return Fail("out of memory");
                    av_audio_fifo_read(m_fifo, reinterpret_cast<void**>(m_sound->data), n);
                    m_sound->pts = m_audio_samples;
                    m_audio_samples += n;
                    Encode_Audio_Frame(m_sound);
                }
            }

            void Encode_Audio_Frame(AVFrame* frame)
            {
                int r = avcodec_send_frame(m_audio, frame);
                if (r < 0)
                    return Fail("sound encoding failed: " + Av_Error(r));
                Write_Packets(m_audio, m_audio_stream);
            }

            void Write_Packets(AVCodecContext* codec, AVStream* stream)
            {
                for (;;)
                {
                    int r = avcodec_receive_packet(codec, m_packet);
                    if (r == AVERROR(EAGAIN) || r == AVERROR_EOF)
                        return;
                    if (r < 0)
                        return Fail("encoding failed: " + Av_Error(r));
                    av_packet_rescale_ts(m_packet, codec->time_base, stream->time_base);
                    m_packet->stream_index = stream->index;
                    r = av_interleaved_write_frame(m_format, m_packet);
                    if (r < 0)
                        return Fail("cannot write " + m_path + ": " + Av_Error(r));
                }
            }

            void Fail(const std::string& reason)
            {
                if (!m_failed)
                    m_error = reason;
                m_failed = true;
            }

            void Release()
            {
                sws_freeContext(m_scaler);
                m_scaler = nullptr;
                swr_free(&m_resampler);
                if (m_fifo)
                    av_audio_fifo_free(m_fifo);
                m_fifo = nullptr;
                av_frame_free(&m_picture);
                av_frame_free(&m_small);
                av_frame_free(&m_sound);
                av_packet_free(&m_packet);
                avcodec_free_context(&m_video);
                avcodec_free_context(&m_audio);
                if (m_format)
                {
                    if (m_format->pb)
                        avio_closep(&m_format->pb);
                    avformat_free_context(m_format);
                    m_format = nullptr;
                }
            }

            std::string m_path;
            Temp_Name m_temp;
            Video_Settings m_settings;
            bool m_matroska;
            AVFormatContext* m_format = nullptr;
            AVStream* m_video_stream = nullptr;
            AVStream* m_audio_stream = nullptr;
            AVCodecContext* m_video = nullptr;
            AVCodecContext* m_audio = nullptr;
            AVFrame* m_picture = nullptr;
            AVFrame* m_small = nullptr;  // the converted frame before enlarging
            AVFrame* m_sound = nullptr;
            AVPacket* m_packet = nullptr;
            SwsContext* m_scaler = nullptr;
            SwrContext* m_resampler = nullptr;
            AVAudioFifo* m_fifo = nullptr;
            int m_frame_size = 1024;
            std::int64_t m_video_frames = 0;
            std::int64_t m_audio_samples = 0;
            double m_encode_seconds = 0.0;
            double m_enlarge_seconds = 0.0;

            // Written by the worker only; read by the caller after the worker stops.
            bool m_failed = false;
            std::string m_error;

            std::mutex m_mutex;
            std::condition_variable m_ready;
            std::condition_variable m_space;
            std::deque<Job> m_jobs;
            bool m_stopping = false;
            bool m_failed_flag = false;
            bool m_busy = false;
            std::thread m_worker;
        };
    }

    std::vector<std::string> H264_Encoders(const std::function<bool(const char*)>& has)
    {
        std::vector<std::string> names;
        for (const char* name : H264_Names)
            if (has(name))
                names.push_back(name);
        return names;
    }

    std::unique_ptr<Video_Writer> Open_Video(const std::string& path, const Video_Settings& settings,
                                             std::string& error, std::string& note)
    {
        av_log_set_level(AV_LOG_ERROR);  // the encoders' statistics are not the user's business
        auto writer = std::make_unique<Video_Writer_Impl>(path, settings);
        if (!writer->Open(error, note))
            return nullptr;
        return writer;
    }
}
