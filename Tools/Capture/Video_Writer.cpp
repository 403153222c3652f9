// The container and the file: the two encoders' packets interleaved into MP4
// or Matroska under FILE.part, then renamed on commit. Frames and sound are
// queued as copies and encoded on one worker thread, which owns the FFmpeg
// objects between Open and Finish, so rendering waits on the encoder only
// while the queue is full.
#include "Tools/Capture/Video_Writer.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "Tools/Capture/Job_Queue.h"
#include "Tools/Capture/Output_File.h"
#include "Tools/Capture/Picture_Encoder.h"
#include "Tools/Capture/Sound_Encoder.h"

namespace Ryx_Capture
{
    namespace
    {
        // Besides x264: encoders FFmpeg may have that take plain 4:2:0 frames.
        // (VAAPI wants frames in video memory and is left out.)
        const char* const H264_Names[] = {"libx264",      "libopenh264", "h264_nvenc", "h264_amf",
                                          "h264_v4l2m2m", "h264_omx",    "h264_mf",    "h264_videotoolbox"};

        constexpr std::size_t Queued_Jobs = 8;

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
                  m_matroska(m_path.size() >= 4 && m_path.compare(m_path.size() - 4, 4, ".mkv") == 0),
                  m_queue(Queued_Jobs, [this](Job& job) { return Run(job); })
            {
                m_temp.Set(m_path + ".part");
            }

            ~Video_Writer_Impl() override
            {
                m_queue.Stop();
                m_format.reset();  // closes the file before it goes
                if (!m_temp.Get_Path().empty())
                    unlink(m_temp.Get_Path().c_str());
            }

            bool Open(std::string& error, std::string& note)
            {
                struct stat info;
                if (stat(m_path.c_str(), &info) == 0 && !S_ISREG(info.st_mode))
                    return error = "cannot write " + m_path + ": a video needs a plain file", false;
                AVFormatContext* format = nullptr;
                int r = avformat_alloc_output_context2(&format, nullptr, m_matroska ? "matroska" : "mp4",
                                                       m_temp.Get_Path().c_str());
                m_format.reset(format);
                if (r < 0 || !m_format)
                    return error = std::string("this FFmpeg cannot write ") + (m_matroska ? "Matroska" : "MP4"), false;
                if (!m_picture.Open(format, m_settings, m_matroska, error, note) ||
                    !m_sound.Open(format, m_settings, m_matroska, error))
                    return false;
                m_packet.reset(av_packet_alloc());
                if (!m_packet)
                    return error = "out of memory", false;
                r = avio_open(&format->pb, m_temp.Get_Path().c_str(), AVIO_FLAG_WRITE);
                if (r < 0)
                    return error = "cannot write " + m_path + ": " + Av_Error(r), false;
                AVDictionary* options = nullptr;
                if (!m_matroska)
                    av_dict_set(&options, "movflags", "+faststart", 0);  // playable while it downloads
                r = avformat_write_header(format, &options);
                av_dict_free(&options);
                if (r < 0)
                    return error = "cannot write " + m_path + ": " + Av_Error(r), false;
                m_queue.Start();
                return true;
            }

            bool Add_Frame(const std::uint32_t* pixels) override
            {
                Job job;
                job.is_frame = true;
                const Frame_Layout& l = m_settings.layout;
                job.pixels.assign(pixels, pixels + std::size_t(l.source_width) * l.source_height);
                return m_queue.Push(std::move(job));
            }

            bool Add_Audio(const std::int16_t* samples, std::size_t frames) override
            {
                if (frames == 0)
                    return true;
                Job job;
                job.samples.assign(samples, samples + frames * 2);
                return m_queue.Push(std::move(job));
            }

            void Wait_Until_Idle() override { m_queue.Wait_Until_Idle(); }

            bool Finish(std::string& error) override
            {
                m_queue.Stop();
                std::string reason;
                if (!m_failed && !m_sound.Drain(Send_Sound(), reason))
                    Fail(reason);
                if (!m_failed)
                    Encode(m_picture.Get_Codec(), m_picture.Get_Stream(), nullptr, "video");
                if (!m_failed)
                    Encode(m_sound.Get_Codec(), m_sound.Get_Stream(), nullptr, "sound");
                if (!m_failed)
                {
                    int r = av_write_trailer(m_format.get());
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
                    return error = m_error, false;
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
            double Get_Enlarge_Seconds() const override { return m_picture.Get_Enlarge_Seconds(); }

        private:
            // On the worker thread.
            bool Run(Job& job)
            {
                auto start = std::chrono::steady_clock::now();
                std::string reason;
                if (job.is_frame)
                {
                    if (AVFrame* picture = m_picture.Convert(job.pixels.data(), reason))
                        Encode(m_picture.Get_Codec(), m_picture.Get_Stream(), picture, "video");
                    else
                        Fail(reason);
                }
                else if (!m_sound.Add(job.samples.data(), job.samples.size() / 2, Send_Sound(), reason))
                    Fail(reason);
                m_encode_seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
                return !m_failed;
            }

            Sound_Encoder::Send Send_Sound()
            {
                return [this](AVFrame* frame) {
                    return Encode(m_sound.Get_Codec(), m_sound.Get_Stream(), frame, "sound");
                };
            }

            // Sends a frame (null: the end) and writes what the encoder gives back.
            bool Encode(AVCodecContext* codec, AVStream* stream, AVFrame* frame, const char* what)
            {
                int r = avcodec_send_frame(codec, frame);
                if (r < 0)
                    return Fail(std::string(what) + " encoding failed: " + Av_Error(r));
                for (;;)
                {
                    r = avcodec_receive_packet(codec, m_packet.get());
                    if (r == AVERROR(EAGAIN) || r == AVERROR_EOF)
                        return true;
                    if (r < 0)
                        return Fail("encoding failed: " + Av_Error(r));
                    av_packet_rescale_ts(m_packet.get(), codec->time_base, stream->time_base);
                    m_packet->stream_index = stream->index;
                    r = av_interleaved_write_frame(m_format.get(), m_packet.get());
                    if (r < 0)
                        return Fail("cannot write " + m_path + ": " + Av_Error(r));
                }
            }

            // Keeps the first reason; false, for returning.
            bool Fail(const std::string& reason)
            {
                if (!m_failed)
                    m_error = reason;
                m_failed = true;
                return false;
            }

            std::string m_path;
            Temp_Name m_temp;
            Video_Settings m_settings;
            bool m_matroska;
            Av_Ptr<AVFormatContext> m_format;
            Picture_Encoder m_picture;
            Sound_Encoder m_sound;
            Av_Ptr<AVPacket> m_packet;
            double m_encode_seconds = 0.0;
            // Written by the worker only; read by the caller after the worker stops.
            bool m_failed = false;
            std::string m_error;
            Job_Queue<Job> m_queue;  // last: its worker stops before the encoders go
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
