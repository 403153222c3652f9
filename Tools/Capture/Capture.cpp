// The capture tool: plays the show headless on a virtual clock and records it.
//
// The show runs unchanged: the same engine, roster and scenes as demo. Only
// the platform underneath is offline: the display hands each presented frame
// here instead of showing it, and the audio layer renders sound only when it
// is pulled. After frame n is presented, the clock and the sound move on to
// frame n + 1 at exactly (n + 1) / fps seconds, so every frame is drawn at its
// own instant with the music position heard then, and sound and picture never
// drift apart.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "Code/Engine.h"
#include "Code/Music.h"
#include "Lib/Callback.h"
#include "Platform/Bass.h"
#include "Platform/Clock.h"
#include "Platform/Display.h"
#include "Platform/Report.h"
#include "Tools/Capture/Capture_Options.h"
#include "Tools/Capture/Contact_Sheet.h"
#include "Tools/Capture/Mp4_Writer.h"
#include "Tools/Capture/Progress.h"
#include "Tools/Capture/Wav_Writer.h"
#include "Tools/Image_Writer/Image_Writer.h"

namespace Ryx_Capture
{
    namespace
    {
        constexpr int Audio_Rate = 44100;
        constexpr int Show_Orders = 36;  // the show ends when order 36 starts

        double Seconds_Since(std::chrono::steady_clock::time_point t)
        {
            return std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count();
        }

        bool Is_Module(const std::string& path, std::string& reason)
        {
            std::FILE* f = std::fopen(path.c_str(), "rb");
            if (!f)
                return reason = std::strerror(errno), false;
            char head[17] = {};
            std::size_t n = std::fread(head, 1, sizeof head, f);
            std::fclose(f);
            if (n != sizeof head || std::memcmp(head, "Extended Module: ", 17) != 0)
                return reason = "not an extended module", false;
            return true;
        }

        bool Make_Directory(const std::string& path, std::string& error)
        {
            std::string partial;
            for (std::size_t i = 0; i <= path.size(); ++i)
            {
                if (i == path.size() || path[i] == '/')
                {
                    if (!partial.empty() && mkdir(partial.c_str(), 0777) != 0 && errno != EEXIST)
                        return error = "cannot create " + partial + ": " + std::strerror(errno), false;
                }
                if (i < path.size())
                    partial += path[i];
            }
            if (access(path.c_str(), W_OK) != 0)
                return error = "cannot write into " + path + ": " + std::strerror(errno), false;
            return true;
        }

        // Everything the capture keeps between frames.
        class Session
        {
        public:
            explicit Session(const Capture_Options& options)
                : m_options(options), m_progress(options.quiet), m_sheet(Show_Orders),
                  m_sound(std::size_t(Audio_Rate / options.fps + 2) * 2) {}

            ~Session()
            {
                if (m_log)
                    std::fclose(m_log);
                if (m_raw)
                    std::fclose(m_raw);
            }

            bool Open(std::string& error)
            {
                if (!m_options.log.empty())
                {
                    m_log = std::fopen(m_options.log.c_str(), "w");
                    if (!m_log)
                        return error = "cannot write " + m_options.log + ": " + std::strerror(errno), false;
                }
                if (!m_options.sound.empty() && !m_extra_wav.Open(m_options.sound, Audio_Rate, error))
                    return false;
                switch (m_options.kind)
                {
                case Output_Kind::Log_Only:
                    return true;
                case Output_Kind::Video:
                {
                    Mp4_Settings settings;
                    settings.fps = m_options.fps;
                    settings.lossless = m_options.lossless;
                    m_video = Open_Mp4(m_options.out, settings, error);
                    return m_video != nullptr;
                }
                case Output_Kind::Frames:
                    return Make_Directory(m_options.out, error) &&
                           m_wav.Open(m_options.out + "sound.wav", Audio_Rate, error);
                case Output_Kind::Raw:
                    m_raw = std::fopen(m_options.out.c_str(), "wb");
                    if (!m_raw)
                        return error = "cannot write " + m_options.out + ": " + std::strerror(errno), false;
                    return true;
                case Output_Kind::Still:
                case Output_Kind::Sheet:
                    return Check_Writable(m_options.out, error);
                }
                return false;
            }

            // Called once a pass of the frame loop, before the scene draws:
            // the only place the capture stops the show.
            void Begin_Pass()
            {
                m_in_show = true;
                if (m_done || !m_error.empty())
                    throw Stop_Show{};
                m_render_start = std::chrono::steady_clock::now();
            }

            void On_Frame(const std::uint32_t* pixels, int width, int height)
            {
                if (!m_in_show || m_done || !m_error.empty())
                    return;  // the loading picture, shown before the music starts
                m_render_seconds += Seconds_Since(m_render_start);
                auto start = std::chrono::steady_clock::now();
                Ryx_Vektu::Music* music = Ryx_Vektu::Get_Music();
                int order = music ? int(music->Get_Order()) : 0;
                int row = music ? int(music->Get_Row()) : 0;
                m_last_order = order;
                m_last_row = row;
                Deliver(pixels, width, height, order, row);
                if (m_log)
                    Log_Frame(pixels, width, height, order, row);
                m_output_seconds += Seconds_Since(start);
                ++m_frames;
                Advance_Clocks();
                m_progress.Update(m_frames, order, row, (order * 64 + row) / double(Show_Orders * 64));
            }

            bool Finish(std::string& error)
            {
                m_progress.Finish();
                if (m_log && std::fclose(m_log) != 0)
                    Fail("cannot write " + m_options.log);
                m_log = nullptr;
                if (!m_error.empty())
                    return error = m_error, false;
                if (!m_options.sound.empty() && !m_extra_wav.Finish(error))
                    return false;
                switch (m_options.kind)
                {
                case Output_Kind::Log_Only:
                    return true;
                case Output_Kind::Raw:
                {
                    bool ok = std::fclose(m_raw) == 0;
                    m_raw = nullptr;
                    return ok || (error = "cannot write " + m_options.out, false);
                }
                case Output_Kind::Video:
                    return m_video->Finish(error);
                case Output_Kind::Frames:
                    return m_wav.Finish(error);
                case Output_Kind::Still:
                    if (!m_done)
                        return error = "the show ended before the frame asked for", false;
                    return true;
                case Output_Kind::Sheet:
                {
                    int w = 0, h = 0;
                    std::vector<std::uint32_t> sheet = m_sheet.Compose(w, h);
                    if (!Ryx_Tools::Write_File(m_options.out, Ryx_Tools::Encode_PNG(w, h, sheet.data(), 6)))
                        return error = "cannot write " + m_options.out, false;
                    return true;
                }
                }
                return false;
            }

            void Print_Summary(double wall) const
            {
                if (m_options.quiet)
                    return;
                std::fprintf(stderr,
                             "capture: wrote %s: %ld frames at %d fps (%.2f s of show) in %.1f s\n"
                             "capture: last frame at order %d row %d; time: render %.1f s, sound %.1f s, "
                             "output %.1f s on this thread, encoder thread %.1f s\n",
                             m_options.kind == Output_Kind::Log_Only ? m_options.log.c_str() : m_options.out.c_str(), m_frames, m_options.fps, double(m_frames) / m_options.fps, wall,
                             m_last_order, m_last_row, m_render_seconds, m_audio_seconds, m_output_seconds,
                             m_video ? m_video->Get_Encode_Seconds() : 0.0);
            }

            struct Stop_Show
            {
            };

        private:
            static bool Check_Writable(const std::string& path, std::string& error)
            {
                std::string probe = path + ".part";
                std::FILE* f = std::fopen(probe.c_str(), "wb");
                if (!f)
                    return error = "cannot write " + path + ": " + std::strerror(errno), false;
                std::fclose(f);
                std::remove(probe.c_str());
                return true;
            }

            // The picture's bytes without the top byte, which is not shown.
            void Log_Frame(const std::uint32_t* pixels, int width, int height, int order, int row)
            {
                std::uint64_t hash = 14695981039346656037ull;
                std::uint64_t sum = 0;
                std::size_t n = std::size_t(width) * height;
                for (std::size_t i = 0; i < n; ++i)
                {
                    std::uint32_t p = pixels[i];
                    for (int shift = 0; shift < 24; shift += 8)
                        hash = (hash ^ ((p >> shift) & 255)) * 1099511628211ull;
                    sum += ((p >> 16) & 255) + ((p >> 8) & 255) + (p & 255);
                }
                std::fprintf(m_log, "%ld %d %d %016llx %.3f\n", m_frames, order, row,
                             static_cast<unsigned long long>(hash), double(sum) / (3.0 * double(n)));
            }

            void Deliver(const std::uint32_t* pixels, int width, int height, int order, int row)
            {
                switch (m_options.kind)
                {
                case Output_Kind::Log_Only:
                    break;
                case Output_Kind::Raw:
                    if (std::fwrite(pixels, 4, std::size_t(width) * height, m_raw) != std::size_t(width) * height)
                        Fail("cannot write " + m_options.out);
                    break;
                case Output_Kind::Video:
                    if (!m_video->Add_Frame(pixels))
                        Fail("the video encoder stopped");
                    break;
                case Output_Kind::Frames:
                {
                    char name[32];
                    std::snprintf(name, sizeof name, "frame_%06ld.png", m_frames);
                    if (!Ryx_Tools::Write_File(m_options.out + name, Ryx_Tools::Encode_PNG(width, height, pixels, 1)))
                        Fail("cannot write " + m_options.out + name);
                    break;
                }
                case Output_Kind::Still:
                {
                    bool reached = m_options.at_position
                                       ? (order > m_options.at_order || (order == m_options.at_order && row >= m_options.at_row))
                                       : m_frames >= std::llround(m_options.at_seconds * m_options.fps);
                    if (reached)
                    {
                        if (!Ryx_Tools::Write_File(m_options.out, Ryx_Tools::Encode_PNG(width, height, pixels, 6)))
                            Fail("cannot write " + m_options.out);
                        m_done = true;
                    }
                    break;
                }
                case Output_Kind::Sheet:
                    // The brightest frame of rows 32 to 35, the middle of the order.
                    if (row >= 32 && row < 36)
                        m_sheet.Add(order, double(m_frames) / m_options.fps, pixels, width, height);
                    if (order == Show_Orders - 1 && row >= 36)
                        m_done = true;
                    break;
                }
            }

            // To frame m_frames: the clock in milliseconds, the sound to the sample.
            void Advance_Clocks()
            {
                std::uint64_t n = std::uint64_t(m_frames);
                Ryx_Platform::Set_Virtual_Time(std::uint32_t(n * 1000 / std::uint64_t(m_options.fps)));
                std::uint64_t target = n * Audio_Rate / std::uint64_t(m_options.fps);
                std::size_t count = std::size_t(target - m_pulled);
                m_pulled = target;
                if (m_sound.size() < count * 2)
                    m_sound.resize(count * 2);
                auto start = std::chrono::steady_clock::now();
                Ryx_Platform::Audio_Pull(m_sound.data(), count);
                m_audio_seconds += Seconds_Since(start);
                if (m_video && !m_video->Add_Audio(m_sound.data(), count))
                    Fail("the video encoder stopped");
                if (m_options.kind == Output_Kind::Frames && !m_wav.Add(m_sound.data(), count))
                    Fail("cannot write " + m_options.out + "sound.wav");
                if (!m_options.sound.empty() && !m_extra_wav.Add(m_sound.data(), count))
                    Fail("cannot write " + m_options.sound);
                // A module that never starts would never reach the show's end.
                if (m_frames == 2 * m_options.fps && Ryx_Platform::Audio_Frames_Played() == 0)
                    Fail("the music does not play: tekno.xm did not load");
                if (m_frames > 1800L * m_options.fps)
                    Fail("the show has not ended after 30 minutes of show time");
            }

            void Fail(const std::string& reason)
            {
                if (m_error.empty())
                    m_error = reason;
            }

            const Capture_Options& m_options;
            Progress m_progress;
            Contact_Sheet m_sheet;
            std::unique_ptr<Mp4_Writer> m_video;
            Wav_Writer m_wav;
            Wav_Writer m_extra_wav;
            std::vector<std::int16_t> m_sound;
            std::uint64_t m_pulled = 0;
            long m_frames = 0;
            bool m_in_show = false;
            bool m_done = false;
            std::string m_error;
            std::FILE* m_log = nullptr;
            std::FILE* m_raw = nullptr;
            int m_last_order = 0;
            int m_last_row = 0;
            std::chrono::steady_clock::time_point m_render_start = std::chrono::steady_clock::now();
            double m_render_seconds = 0.0;
            double m_audio_seconds = 0.0;
            double m_output_seconds = 0.0;
        };

        class Capture_Callback : public Ryx_Lib::Callback
        {
        public:
            explicit Capture_Callback(Session& session) : m_session(session) {}
            void Execute() override { m_session.Begin_Pass(); }

        private:
            Session& m_session;
        };

        void Frame_Sink(const std::uint32_t* pixels, int width, int height, void* user)
        {
            static_cast<Session*>(user)->On_Frame(pixels, width, height);
        }
    }
}

int main(int argc, char** argv)
{
    using namespace Ryx_Capture;
    Capture_Options options;
    bool help = false;
    std::string error;
    if (!Parse_Capture_Options(argc, argv, options, help, error))
    {
        std::fprintf(stderr, "capture: %s\n", error.c_str());
        return 2;
    }
    if (help)
    {
        std::fputs(Capture_Usage(), stdout);
        return 0;
    }

    // Outputs are named relative to where the tool was started, data to --data.
    char here[4096];
    if (!getcwd(here, sizeof here))
    {
        std::fprintf(stderr, "capture: cannot tell the current folder\n");
        return 1;
    }
    for (std::string* path : {&options.out, &options.log, &options.sound})
        if (!path->empty() && (*path)[0] != '/')
            *path = std::string(here) + "/" + *path;
    if (chdir(options.data.c_str()) != 0)
    {
        std::fprintf(stderr, "capture: cannot enter the data folder %s: %s\n", options.data.c_str(), std::strerror(errno));
        return 1;
    }
    std::string reason;
    if (!Is_Module("tekno.xm", reason))
    {
        std::fprintf(stderr, "capture: cannot play %s/tekno.xm: %s\n", options.data.c_str(), reason.c_str());
        return 1;
    }

    Session session(options);
    if (!session.Open(error))
    {
        std::fprintf(stderr, "capture: %s\n", error.c_str());
        return 1;
    }

    auto start = std::chrono::steady_clock::now();
    Ryx_Platform::Set_Assertion_Boxes(false);
    Ryx_Platform::Set_Virtual_Time(0);
    Ryx_Platform::Audio_Use_Offline(true);
    Ryx_Platform::Set_Frame_Sink(&Frame_Sink, &session);
    {
        Ryx_Lib::Single<Ryx_Vektu::Engine> engine = Ryx_Vektu::Create_Engine(nullptr, nullptr, false);
        Capture_Callback callback(session);
        try
        {
            engine->Run(&callback);
        }
        catch (const Session::Stop_Show&)
        {
        }
    }
    Ryx_Platform::Set_Frame_Sink(nullptr, nullptr);

    if (!session.Finish(error))
    {
        std::fprintf(stderr, "capture: %s\n", error.c_str());
        return 1;
    }
    session.Print_Summary(Seconds_Since(start));
    return 0;
}
