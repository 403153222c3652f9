// The capture tool: plays the show headless on a virtual clock and records it.
//
// The show runs unchanged: the same engine, roster and scenes as demo. Only
// the platform underneath is offline: the display hands each presented frame
// here instead of showing it, and the audio layer renders sound only when it
// is pulled. After frame n is presented, the clock and the sound move on to
// frame n + 1 at exactly (n + 1) / fps seconds, so every frame is drawn at its
// own instant with the music position heard then, and sound and picture never
// drift apart.
//
// Everything that can be refused is refused before the first frame: the
// command line, the times and positions (against the show's length, measured
// first), and every output path. Outputs are renamed into place only when all
// of them are complete.
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "Code/Engine.h"
#include "Code/Music.h"
#include "Lib/Callback.h"
#include "Orvi_Version.h"
#include "Platform/Bass.h"
#include "Platform/Clock.h"
#include "Platform/Data_Folder.h"
#include "Platform/Display.h"
#include "Platform/File_Kind.h"
#include "Platform/Program_Path.h"
#include "Platform/Report.h"
#include "Tools/Capture/Capture_Options.h"
#include "Tools/Capture/Capture_Session.h"
#include "Tools/Capture/Output_File.h"
#include "Tools/Capture/Show_Span.h"

namespace Ryx_Capture
{
    namespace
    {
        bool Is_Module(const std::string& path, std::string& reason)
        {
            if (const char* kind = Ryx_Platform::Get_Non_File_Kind(path.c_str()))
                return reason = std::string(kind) + ", not a file", false;
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

        // As demo finds its data: the current folder when it holds the
        // module, else the data folder beside the program (the build tree or
        // an installed layout), else the current folder, which then fails
        // with its reason.
        std::string Default_Data_Folder(const char* argv0)
        {
            if (Ryx_Platform::Is_Data_Folder("."))
                return ".";
            std::string folder = Ryx_Platform::Find_Data_Folder(Ryx_Platform::Get_Program_Path(argv0));
            return folder.empty() ? "." : folder;
        }

        // The frame a moment names: for --at the nearest frame, for --from and
        // --to the first frame at or after it. -1 when the show never gets there.
        long Frame_Of(const Show_Time& t, const Show_Span& span, int fps, bool nearest)
        {
            if (t.position)
                return span.Frame_At(t.order, t.row);
            double frames = t.seconds * fps;
            long n = nearest ? long(std::llround(frames)) : long(std::ceil(frames - 1e-6));
            return n < span.Get_Frames() ? n : -1;
        }

        bool Plan_Capture(const Capture_Options& options, const Show_Span& span, Capture_Plan& plan, std::string& error)
        {
            plan.show_frames = span.Get_Frames();
            plan.layout = Make_Layout(640, 480, options.scale, options.pad_width, options.pad_height);
            auto past_end = [&](const char* option, const Show_Time& t) {
                return error = std::string(option) + " " + t.text + " is past the show's end: " + span.Describe(),
                       false;
            };
            if (options.at.set)
            {
                plan.still = Frame_Of(options.at, span, options.fps, true);
                if (plan.still < 0)
                    return past_end("--at", options.at);
                plan.end = plan.still + 1;
            }
            if (options.from.set)
            {
                plan.first = Frame_Of(options.from, span, options.fps, false);
                if (plan.first < 0)
                    return past_end("--from", options.from);
            }
            if (options.to.set)
            {
                const Show_Time& t = options.to;
                plan.end = Frame_Of(t, span, options.fps, false);
                // The show's own end may be named: order 36 or its length in seconds.
                bool at_end = t.position ? span.complete && t.order == Show_Orders && t.row == 0
                                         : t.seconds <= span.seconds + 0.5 / options.fps;
                if (plan.end < 0 && at_end)
                    plan.end = span.Get_Frames();
                if (plan.end < 0)
                    return past_end("--to", t);
                if (plan.end <= plan.first)
                    return error = "--from " + (options.from.set ? options.from.text : "0") + " is not before --to " +
                               t.text,
                           false;
            }
            return true;
        }

        // Checked before the show is measured: no time is spent on a capture
        // whose outputs would be refused.
        bool Check_Outputs(const Capture_Options& options, std::string& error)
        {
            std::vector<std::string> paths;
            if (options.kind != Output_Kind::None && options.kind != Output_Kind::Frames)
                paths.push_back(options.out);
            if (options.kind == Output_Kind::Frames)
                paths.push_back(options.out + "sound.wav");
            for (const std::string* p : {&options.log, &options.sound})
                if (!p->empty())
                    paths.push_back(*p);
            for (std::size_t i = 0; i < paths.size(); ++i)
            {
                for (std::size_t j = 0; j < i; ++j)
                    if (paths[i] == paths[j])
                        return error = paths[i] + " is named for two outputs", false;
                if (!Check_Output_Path(paths[i], options.overwrite, error))
                    return false;
            }
            return true;
        }

        class Capture_Callback : public Ryx_Lib::Callback
        {
        public:
            explicit Capture_Callback(Capture_Session& session) : m_session(session) {}
            void Execute() override { m_session.Begin_Pass(); }

        private:
            Capture_Session& m_session;
        };

        void Frame_Sink(const std::uint32_t* pixels, int width, int height, void* user)
        {
            static_cast<Capture_Session*>(user)->On_Frame(pixels, width, height);
        }

        int Fail(const std::string& reason)
        {
            std::fprintf(stderr, "capture: %s\n", reason.c_str());
            return Exit_Failed;
        }
    }
}

int main(int argc, char** argv)
{
    using namespace Ryx_Capture;
    Install_Stop_Handlers();
    Capture_Options options;
    bool help = false, version = false;
    std::string error;
    if (!Parse_Capture_Options(argc, argv, options, help, version, error))
    {
        std::fprintf(stderr, "capture: %s\n", error.c_str());
        return 2;
    }
    if (help || version)
    {
        std::fputs(help ? Capture_Usage() : "capture (Orvi) " ORVI_VERSION "\n", stdout);
        return 0;
    }

    // Outputs are named relative to where the tool was started, data to --data.
    char here[4096];
    if (!getcwd(here, sizeof here))
        return Fail("cannot tell the current folder");
    for (std::string* path : {&options.out, &options.log, &options.sound})
        if (!path->empty() && (*path)[0] != '/')
            *path = std::string(here) + "/" + *path;
    if (!Check_Outputs(options, error))
        return Fail(error);
    if (options.data.empty())
        options.data = Default_Data_Folder(argv[0]);
    if (chdir(options.data.c_str()) != 0)
        return Fail("cannot enter the data folder " + options.data + ": " + std::strerror(errno));
    std::string reason;
    if (!Is_Module("tekno.xm", reason))
        return Fail("cannot play " + options.data + "/tekno.xm: " + reason);

    auto start = std::chrono::steady_clock::now();
    Ryx_Platform::Set_Assertion_Boxes(false);
    Ryx_Platform::Set_Virtual_Time(0);
    Ryx_Platform::Audio_Use_Offline(true);
    Show_Span span;
    if (!Measure_Show("tekno.xm", options.fps, span, error))
        return Fail(error);
    Capture_Plan plan;
    if (!Plan_Capture(options, span, plan, error))
    {
        std::fprintf(stderr, "capture: %s\n", error.c_str());
        return 2;
    }

    Capture_Session session(options, plan);
    std::vector<std::string> notes;
    if (!session.Open(error, notes))
        return Fail(error);
    for (const std::string& note : notes)
        std::fprintf(stderr, "capture: %s\n", note.c_str());

    bool reached_end = false;  // the show ended by itself at order 36
    bool ended_by_itself = false;
    int end_order = 0, end_row = 0;  // where the music was when it ended
    Ryx_Platform::Set_Frame_Sink(&Frame_Sink, &session);
    // The display softens each frame on its way to the sink, as on its way
    // to a screen.
    if (options.calm)
        Ryx_Platform::Set_Frame_Stage(Ryx_Platform::Create_Calm_Stage());
    {
        Ryx_Lib::Single<Ryx_Vektu::Engine> engine = Ryx_Vektu::Create_Engine(nullptr, nullptr, false);
        Capture_Callback callback(session);
        try
        {
            engine->Run(&callback);
            ended_by_itself = true;
            Ryx_Vektu::Music* music = Ryx_Vektu::Get_Music();
            end_order = music ? int(music->Get_Order()) : 0;
            end_row = music ? int(music->Get_Row()) : 0;
            reached_end = end_order == Show_Orders;
        }
        catch (const Capture_Session::Stop_Show&)
        {}
    }
    Ryx_Platform::Set_Frame_Sink(nullptr, nullptr);
    Ryx_Platform::Set_Frame_Stage(nullptr);

    if (!session.Finish(error))
        return Fail(error);
    if (!Begin_Commit())
        for (;;)
            pause();  // a stop has begun: its handler ends the process
    if (!session.Commit(error))
        return Fail(error);
    if (int signal_number = Signal_During_Commit())
    {
        std::fprintf(stderr, "capture: stopped by a signal after the files were complete\n");
        return 128 + signal_number;
    }
    session.Print_Summary(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    if (ended_by_itself && !reached_end)
    {
        std::fprintf(stderr,
                     "capture: the music ended at order %d row %d (%.2f s), before order %d where the show should "
                     "end; kept the %ld frames that played\n",
                     end_order, end_row, span.seconds, Show_Orders, session.Get_Recorded());
        return Exit_Short_Show;
    }
    return 0;
}
