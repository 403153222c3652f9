// flash_check: counts the flashes of the show, or of any recording of it, with
// the measure of Platform/Flash_Measure.h, and says which seconds flash more
// than three times. It renders the show headless on the capture's virtual
// clock, or reads a video through FFmpeg; --calm checks the picture through
// the calm stage, installed where demo --calm and capture --calm install it:
// in the display, which flips every finished frame through it, at the
// frame's time on the show's clock, on its way to the sink. --both renders
// once and checks both pictures, and compares them.
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "Platform/Data_Folder.h"
#include "Platform/Display.h"
#include "Platform/Flash_Measure.h"
#include "Platform/Program_Path.h"
#include "Tools/Flash_Check/Flash_Series.h"
#include "Tools/Flash_Check/Flash_Timeline.h"
#include "Tools/Flash_Check/Picture_Compare.h"
#include "Tools/Flash_Check/Show_Frames.h"
#include "Tools/Flash_Check/Video_Frames.h"

#ifndef ORVI_VERSION
#define ORVI_VERSION "unknown"
#endif

namespace
{
    using namespace Ryx_Tools;

    constexpr int Exit_Fails = 1;
    constexpr int Exit_Cannot = 2;

    const char* const Usage = "usage: flash_check [--fps N] [--data DIR] [--calm | --both] [--png FILE] [--quiet]\n"
                              "       flash_check [--calm] [--png FILE] [--quiet] VIDEO\n"
                              "\n"
                              "Counts the flashes of the show, rendered headless on the virtual clock from the\n"
                              "data folder (as the capture tool finds it, or --data DIR) at N frames a second\n"
                              "(default 60), or of a video read through FFmpeg, and prints every span of\n"
                              "seconds that flashes more than three times (time, order:row, scene, flashes,\n"
                              "views) and a summary.\n"
                              "\n"
                              "The measure:\n"
                              "  - relative luminance per pixel from the sRGB values, as the web's\n"
                              "    accessibility guidelines (WCAG 2.x) define it;\n"
                              "  - a view is the whole screen, or a window of a third of the screen across\n"
                              "    and down placed at every sixth of the screen (5 x 5 windows); its level in\n"
                              "    a frame is the mean over its pixels;\n"
                              "  - a transition is a swing of at least 0.1 between successive extremes (a\n"
                              "    peak and the next trough or a trough and the next peak, however many\n"
                              "    frames it takes; smaller wiggles neither count nor split it) whose darker\n"
                              "    side is below 0.8; it happens at the frame where it first amounts to one;\n"
                              "  - red: pixels with R/(R+G+B) >= 0.8 count with (R - G - B) x 320 (R, G, B\n"
                              "    as stored, 0 to 1), others 0; a red transition is a swing of more than 20\n"
                              "    in a view's mean of that;\n"
                              "  - a flash is a pair of opposite transitions. A second fails when a\n"
                              "    transition in it is the 7th or later of its view and kind within one\n"
                              "    second (the 6 before it less than a second earlier): more than three\n"
                              "    flashes within a second, as a viewer has just seen them.\n"
                              "\n"
                              "  --fps N      frames a second of the rendered show, 1 to 240\n"
                              "  --data DIR   the data folder the show is rendered from\n"
                              "  --calm       check the calm picture: the show through its calm stage\n"
                              "  --both       render once, check the default and the calm picture, and\n"
                              "               compare them (frames changed, PSNR, SSIM, per scene); the\n"
                              "               exit status is the calm picture's\n"
                              "  --png FILE   the timeline of flashes a second, with the scenes and the\n"
                              "               limit (with --both, FILE and FILE-calm.png beside it)\n"
                              "  --quiet      only the summary lines\n"
                              "\n"
                              "Exit status: 0 no second fails; 1 a second fails; 2 cannot read or render\n"
                              "(or a bad command line).\n";

    struct Options
    {
        int fps = 60;
        std::string data;
        std::string video;
        std::string png;
        bool calm = false;
        bool both = false;
        bool quiet = false;
    };

    bool Parse(int argc, char** argv, Options& o, bool& help, bool& version, std::string& error)
    {
        for (int i = 1; i < argc; ++i)
        {
            const std::string a = argv[i];
            auto value = [&](std::string& out) {
                if (i + 1 >= argc)
                    return error = a + " needs a value", false;
                out = argv[++i];
                return true;
            };
            std::string text;
            if (a == "--help" || a == "-h")
                help = true;
            else if (a == "--version")
                version = true;
            else if (a == "--calm")
                o.calm = true;
            else if (a == "--both")
                o.both = true;
            else if (a == "--quiet")
                o.quiet = true;
            else if (a == "--data")
            {
                if (!value(o.data))
                    return false;
            }
            else if (a == "--png")
            {
                if (!value(o.png))
                    return false;
            }
            else if (a == "--fps")
            {
                if (!value(text))
                    return false;
                if (text.empty() || text.size() > 3 || text.find_first_not_of("0123456789") != std::string::npos ||
                    std::stoi(text) < 1 || std::stoi(text) > 240)
                    return error = "--fps takes a whole number from 1 to 240, not " + text, false;
                o.fps = std::stoi(text);
            }
            else if (!a.empty() && a[0] == '-')
                return error = "unknown option " + a, false;
            else if (o.video.empty())
                o.video = a;
            else
                return error = "one video at most: " + a, false;
        }
        if (o.calm && o.both)
            return error = "--calm and --both: --both checks the calm picture too", false;
        if (!o.video.empty() && (o.both || !o.data.empty()))
            return error = "a video is checked alone: no --both or --data", false;
        return true;
    }

    const char* Scene_Name(int order)
    {
        if (order < 0)
            return "-";
        return order < 10 ? "opening" : order < 22 ? "tunnel" : order < 30 ? "warp" : "closing";
    }

    int Scene_Index(int order) { return order < 10 ? 0 : order < 22 ? 1 : order < 30 ? 2 : 3; }

    const char* const Scene_Names[] = {"opening", "tunnel", "warp", "closing"};

    // Every checked frame's time and position, shared by both pictures.
    struct Frame_Times
    {
        std::vector<std::uint32_t> milliseconds;
        std::vector<std::uint32_t> positions;  // order | row << 16; all ones when not known

        // The position shown at that time.
        std::string Position_At(std::uint32_t t, int& order) const
        {
            std::size_t i = 0;
            while (i + 1 < milliseconds.size() && milliseconds[i + 1] <= t)
                ++i;
            order = -1;
            if (positions.empty() || positions[i] == 0xFFFFFFFFu)
                return "-";
            order = int(positions[i] & 0xFFFF);
            return std::to_string(order) + ":" + std::to_string(positions[i] >> 16);
        }
    };

    // One checked picture: the default or the calm one.
    struct Picture
    {
        std::string name;
        bool calm = false;
        Flash_Series series;
        std::vector<Flash_Second> seconds;
    };

    std::string Views_Of(const Flash_Second& worst, bool whole, bool red, int windows)
    {
        std::string views;
        auto add = [&](const std::string& v) { views += (views.empty() ? "" : ", ") + v; };
        if (whole)
            add("whole screen");
        if (windows > 0)
            add(std::to_string(windows) + (windows == 1 ? " window" : " windows") + " (worst " +
                std::to_string((worst.window - 1) / 5 + 1) + "," + std::to_string((worst.window - 1) % 5 + 1) + ")");
        if (red)
            add("red");
        return views;
    }

    // The failing spans, one line each, and the summary line; true when
    // nothing fails.
    bool Report(const Picture& p, const Frame_Times& times, bool quiet)
    {
        int whole = 0, windows = 0, red = 0, any = 0;
        for (const Flash_Second& s : p.seconds)
        {
            whole += s.whole >= Flash_Limit;
            windows += s.windows >= Flash_Limit;
            red += s.red >= Flash_Limit;
            any += s.Fails();
        }
        if (!quiet && any > 0)
            std::printf("%s picture: failing spans (time, order:row, scene, most flashes in a second, views)\n",
                        p.name.c_str());
        for (std::size_t s = 0; s < p.seconds.size() && !quiet; ++s)
        {
            if (!p.seconds[s].Fails())
                continue;
            std::size_t end = s;
            Flash_Second worst;
            bool in_whole = false, in_red = false;
            int most_windows = 0, most = 0;
            for (; end < p.seconds.size() && p.seconds[end].Fails(); ++end)
            {
                const Flash_Second& e = p.seconds[end];
                in_whole = in_whole || e.whole >= Flash_Limit;
                in_red = in_red || e.red >= Flash_Limit;
                if (e.failing_windows > most_windows)
                    most_windows = e.failing_windows, worst.window = e.window;
                most = std::max({most, e.whole, e.windows, e.red});
            }
            const std::uint32_t from = p.seconds[s].first_failing, to = p.seconds[end - 1].last_failing;
            int order = -1;
            std::string position = times.Position_At(from, order);
            std::printf("  %7.2f-%7.2f s  %-6s %-8s %4.1f flashes  %s\n", from / 1000.0, to / 1000.0, position.c_str(),
                        Scene_Name(order), most / 2.0, Views_Of(worst, in_whole, in_red, most_windows).c_str());
            s = end - 1;
        }
        std::printf("%s picture: %d failing seconds on the whole screen, %d in windows, %d in red; %d of %zu in "
                    "all: %s\n",
                    p.name.c_str(), whole, windows, red, any, p.seconds.size(), any ? "FAILS" : "passes");
        return any == 0;
    }

    void Print_Comparison(const Picture_Compare& compare, const Picture& by_default, const Stage_Record& stage)
    {
        std::printf("calm against default (frames changed, PSNR over R, G and B, worst frame, SSIM of luma):\n");
        auto line = [](const char* name, const Difference& d) {
            std::printf("  %-8s %6ld of %6ld frames changed (%5.2f %%)", name, d.changed, d.frames,
                        d.frames ? 100.0 * d.changed / d.frames : 0.0);
            if (d.changed)
                std::printf("  PSNR %5.1f dB  worst %5.1f dB  SSIM %.4f\n", d.Psnr(), d.worst_psnr, d.Ssim());
            else
                std::printf("  identical\n");
        };
        for (int g = 0; g < 4; ++g)
            line(Scene_Names[g], compare.Group(g));
        line("show", compare.Whole());
        std::printf("  the stage changed %ld of the %ld frames it was given, in %.3f ms a frame on average, "
                    "%.2f ms at most (processor time)\n",
                    stage.changed, stage.frames, 1000.0 * stage.seconds / double(std::max(1L, stage.frames)),
                    1000.0 * stage.worst);
        std::vector<int> breaks = Identity_Breaks(by_default.seconds, compare.Changed_Times());
        if (breaks.empty())
            std::printf("  every frame of a second that passes by default, a second or more after a changed "
                        "frame, is the default frame\n");
        else
        {
            std::printf("  changed frames in %zu seconds that pass by default, a second or more after any "
                        "change:",
                        breaks.size());
            for (int s : breaks)
                std::printf(" %d", s);
            std::printf("\n");
        }
    }

    std::string Calm_Png(const std::string& png)
    {
        std::string stem =
            png.size() > 4 && png.compare(png.size() - 4, 4, ".png") == 0 ? png.substr(0, png.size() - 4) : png;
        return stem + "-calm.png";
    }

    std::vector<Timeline_Scene> Scenes_Of(const Frame_Times& times)
    {
        std::vector<Timeline_Scene> scenes;
        int last = -1;
        for (std::size_t i = 0; i < times.positions.size(); ++i)
        {
            if (times.positions[i] == 0xFFFFFFFFu)
                continue;
            int scene = Scene_Index(int(times.positions[i] & 0xFFFF));
            if (scene != last)
                scenes.push_back({times.milliseconds[i] / 1000.0, Scene_Names[scene]});
            last = scene;
        }
        return scenes;
    }

    int Cannot(const std::string& reason)
    {
        std::fprintf(stderr, "flash_check: %s\n", reason.c_str());
        return Exit_Cannot;
    }
}

int main(int argc, char** argv)
{
    Options options;
    bool help = false, version = false;
    std::string error;
    if (!Parse(argc, argv, options, help, version, error))
    {
        std::fprintf(stderr, "flash_check: %s (flash_check --help says more)\n", error.c_str());
        return Exit_Cannot;
    }
    if (help || version)
    {
        std::fputs(help ? Usage : "flash_check (Orvi) " ORVI_VERSION "\n", stdout);
        return 0;
    }
    char here[4096];
    if (!getcwd(here, sizeof here))
        return Cannot("cannot tell the current folder");
    for (std::string* path : {&options.png, &options.video})
        if (!path->empty() && (*path)[0] != '/')
            *path = std::string(here) + "/" + *path;

    std::vector<Picture> pictures;
    if (!options.calm)
        pictures.push_back({"default", false, {}, {}});
    if (options.calm || options.both)
        pictures.push_back({"calm", true, {}, {}});
    const bool calm = pictures.back().calm;
    Picture_Compare compare(4);
    Frame_Times times;
    Stage_Record stage;

    // pixels: as presented (through the stage when checking calm);
    // finished: the default frame.
    auto visit = [&](const Shown_Frame& f) {
        if (!f.in_show)
            return;
        const std::size_t count = std::size_t(f.width) * std::size_t(f.height);
        Ryx_Platform::Frame_Levels as_finished;  // the default frame's, once measured
        bool measured = false;
        for (Picture& p : pictures)
        {
            const std::uint32_t* pixels = p.calm ? f.pixels : f.finished;
            // A frame the stage left as it was measures as the default one.
            Ryx_Platform::Frame_Levels levels;
            if (measured && std::memcmp(pixels, f.finished, count * 4) == 0)
                levels = as_finished;
            else
                Ryx_Platform::Measure_Levels(pixels, f.width, f.height, levels);
            if (pixels == f.finished)
                as_finished = levels, measured = true;
            p.series.Add(levels, f.milliseconds);
        }
        times.milliseconds.push_back(f.milliseconds);
        times.positions.push_back(f.order < 0 ? 0xFFFFFFFFu : std::uint32_t(f.order) | std::uint32_t(f.row) << 16);
        if (options.both)
            compare.Add(f.finished, f.pixels, f.width, f.height, Scene_Index(f.order), f.milliseconds);
    };

    auto start = std::chrono::steady_clock::now();
    std::string what;
    if (!options.video.empty())
    {
        // A recording has no display: its frames go through the stage here,
        // at their times in the video.
        Keeping_Stage keeping(Ryx_Platform::Create_Calm_Stage(), stage);
        std::vector<std::uint32_t> frame;
        auto through_stage = [&](const Shown_Frame& f) {
            if (!calm)
                return visit(f);
            frame.assign(f.pixels, f.pixels + std::size_t(f.width) * std::size_t(f.height));
            keeping.Apply(frame.data(), f.width, f.height, f.milliseconds);
            Shown_Frame staged = f;
            staged.pixels = frame.data();
            staged.finished = keeping.Get_Finished();
            visit(staged);
        };
        if (!Read_Video(options.video, through_stage, error))
            return Cannot(error);
        what = options.video;
    }
    else
    {
        if (options.data.empty())
        {
            options.data = ".";
            if (!Ryx_Platform::Is_Data_Folder("."))
            {
                std::string found = Ryx_Platform::Find_Data_Folder(Ryx_Platform::Get_Program_Path(argv[0]));
                if (!found.empty())
                    options.data = found;
            }
        }
        if (chdir(options.data.c_str()) != 0)
            return Cannot("cannot enter the data folder " + options.data + ": " + std::strerror(errno));
        if (!Ryx_Platform::Is_Data_Folder("."))
            return Cannot("cannot render the show: " + options.data + " holds no " + Ryx_Platform::Data_Marker);
        if (!Render_Show(options.fps, calm ? Ryx_Platform::Create_Calm_Stage() : nullptr, visit, stage, error))
            return Cannot(error);
        what = "the show at " + std::to_string(options.fps) + " fps";
    }
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (times.milliseconds.empty())
        return Cannot("no frames to check");

    std::printf("flash_check: %s: %zu frames, %.2f s, checked in %.1f s\n", what.c_str(), times.milliseconds.size(),
                times.milliseconds.back() / 1000.0, seconds);
    bool passes = true;
    for (Picture& p : pictures)
    {
        p.seconds = p.series.Evaluate();
        // With --both, the calm picture's verdict is the tool's.
        const bool picture_passes = Report(p, times, options.quiet);
        if (p.calm || !options.both)
            passes = picture_passes;
        if (!options.png.empty())
        {
            std::string path = p.calm && options.both ? Calm_Png(options.png) : options.png;
            std::string title = (p.calm ? "Calm picture" : "Default picture") + std::string(": flashes a second, ") +
                (options.video.empty() ? what : "a recording");
            if (!Write_Timeline(path, title, p.seconds, Scenes_Of(times), error))
                return Cannot(error);
        }
    }
    if (options.both)
    {
        Print_Comparison(compare, pictures[0], stage);
        if (!Identity_Breaks(pictures[0].seconds, compare.Changed_Times()).empty())
            passes = false;
    }
    return passes ? 0 : Exit_Fails;
}
