#include "Tools/Capture/Capture_Options.h"
#include "Flash_Warning.h"

#include <cstring>

namespace Ryx_Capture
{
    namespace
    {
        const char* const Presets[] = {"ultrafast", "superfast", "veryfast", "faster",   "fast",
                                       "medium",    "slow",      "slower",   "veryslow", "placebo"};

        bool Ends_With(const std::string& s, const char* tail)
        {
            std::size_t n = std::strlen(tail);
            return s.size() >= n && s.compare(s.size() - n, n, tail) == 0;
        }

        // Plain digits only: no sign, no spaces, no exponent, at most 7 of them.
        bool Parse_Int(const std::string& text, int& value)
        {
            if (text.empty() || text.size() > 7)
                return false;
            int v = 0;
            for (char c : text)
            {
                if (c < '0' || c > '9')
                    return false;
                v = v * 10 + (c - '0');
            }
            value = v;
            return true;
        }

        // Digits with at most one decimal point, as in 12 or 12.5.
        bool Parse_Seconds(const std::string& text, double& value)
        {
            std::size_t dot = text.find('.');
            std::string whole = text.substr(0, dot);
            std::string fraction = dot == std::string::npos ? "" : text.substr(dot + 1);
            int w = 0;
            if (!Parse_Int(whole, w) || (dot != std::string::npos && fraction.empty()))
                return false;
            double f = 0.0, unit = 0.1;
            for (char c : fraction)
            {
                if (c < '0' || c > '9')
                    return false;
                f += (c - '0') * unit;
                unit *= 0.1;
            }
            value = w + f;
            return true;
        }

        // Seconds (12.5) or ORDER:ROW (11:32), rows 0 to 63.
        bool Parse_Time(const std::string& text, Show_Time& time)
        {
            time.set = true;
            time.text = text;
            std::size_t colon = text.find(':');
            time.position = colon != std::string::npos;
            if (time.position)
                return Parse_Int(text.substr(0, colon), time.order) && Parse_Int(text.substr(colon + 1), time.row) &&
                    time.order < 256 && time.row < 64;
            return Parse_Seconds(text, time.seconds) && time.seconds < 3600.0;
        }

        bool Parse_Ratio(const std::string& text, int& width, int& height)
        {
            std::size_t colon = text.find(':');
            return colon != std::string::npos && Parse_Int(text.substr(0, colon), width) &&
                Parse_Int(text.substr(colon + 1), height) && width >= 1 && height >= 1 && width <= 100 && height <= 100;
        }
    }

    const char* Capture_Usage()
    {
        return "usage: capture [options] --out FILE.mp4      record the show to an H.264/AAC video\n"
               "       capture [options] --out FILE.mkv      ... lossless: FFV1 and FLAC in Matroska\n"
               "       capture [options] --out DIR/          PNG frames DIR/frame_NNNNNN.png and DIR/sound.wav\n"
               "       capture [options] --at T --out FILE.png   one frame at T seconds of show time,\n"
               "                                             or at T = ORDER:ROW of the music\n"
               "       capture [options] --sheet FILE.png    a contact sheet: one thumbnail per order\n"
               "       capture [options] --out FILE.raw      the frames as raw 640 x 480 BGRX, one after\n"
               "                                             another (for measuring the encoder alone)\n"
               "       capture [options] --sound FILE.wav    the sound alone (or beside any output)\n"
               "\n" ORVI_FLASH_WARNING_LINES "\n"
               "\n"
               "options:\n"
               "  --calm          the calm picture, as demo --calm shows it: frames that would\n"
               "                  flash more than three times a second are softened on their\n"
               "                  way to the outputs (defined in seconds, so at any --fps)\n"
               "  --fps N         frames per second of show time, 1 to 240 (default 60)\n"
               "  --from T        start the recording at T (seconds or ORDER:ROW, as --at)\n"
               "  --to T          end it before T; frames keep the show's exact times and\n"
               "                  the sound is cut to the same samples\n"
               "  --crf N         x264 quality, 0 (best) to 51 (default 21)\n"
               "  --preset NAME   x264 speed: ultrafast, superfast, veryfast (default), faster,\n"
               "                  fast, medium, slow, slower, veryslow\n"
               "  --lossless      every pixel exact: H.264 in RGB (High 4:4:4), which FFmpeg-based\n"
               "                  players (VLC, mpv) play but browsers, phones and most editors\n"
               "                  do not; --out FILE.mkv is the better-supported lossless choice\n"
               "  --scale N       enlarge every frame N times (1 to 6) by whole pixels\n"
               "  --pad W:H       centre the picture in a W:H frame with black bars (16:9)\n"
               "  -y              replace existing output files (and earlier frames in DIR/)\n"
               "  --data DIR      the show's data folder (default: the current folder when it\n"
               "                  holds tekno.xm, else the data folder beside the program)\n"
               "  --log FILE      a line per frame: index, order, row, FNV-1a hash of the\n"
               "                  pixels and mean brightness (alone: render without output)\n"
               "  --sound FILE    also write the sound as a 16-bit stereo WAV file\n"
               "  --quiet         no progress output\n"
               "  --version, --help\n"
               "The show is rendered frame by frame on a virtual clock: frame n is drawn at\n"
               "exactly n / fps seconds with the music position heard at that instant.\n"
               "Every file is written under a temporary name and renamed when complete.\n"
               "Exit status: 0 done; 1 failed, nothing written; 2 bad command line;\n"
               "3 the music ended before order 36 (what played was kept);\n"
               "130 or 143 stopped by SIGINT or SIGTERM, nothing written.\n";
    }

    bool Parse_Capture_Options(int argc, char** argv, Capture_Options& options, bool& help, bool& version,
                               std::string& error)
    {
        help = version = false;
        bool have_out = false, have_sheet = false, have_crf = false, have_preset = false;
        for (int i = 1; i < argc; ++i)
        {
            const std::string arg = argv[i];
            std::string v;
            auto value = [&] {
                if (i + 1 >= argc)
                    return error = "option " + arg + " needs a value", false;
                v = argv[++i];
                return true;
            };
            auto bad = [&](const std::string& takes) {
                return error = arg + " takes " + takes + ", not \"" + v + "\"", false;
            };
            auto whole = [&](int& number, int low, int high) {
                if (!value())
                    return false;
                if (!Parse_Int(v, number) || number < low || number > high)
                    return bad("a whole number from " + std::to_string(low) + " to " + std::to_string(high));
                return true;
            };
            if (arg == "--help" || arg == "-h")
                return help = true, true;
            if (arg == "--version")
                return version = true, true;
            if (arg == "--lossless")
                options.lossless = true;
            else if (arg == "--quiet")
                options.quiet = true;
            else if (arg == "-y")
                options.overwrite = true;
            else if (arg == "--calm")
                options.calm = true;
            else if (arg == "--fps")
            {
                if (!whole(options.fps, 1, 240))
                    return false;
            }
            else if (arg == "--crf")
            {
                if (!whole(options.crf, 0, 51))
                    return false;
                have_crf = true;
            }
            else if (arg == "--preset")
            {
                if (!value())
                    return false;
                bool known = false;
                for (const char* p : Presets)
                    known = known || v == p;
                if (!known)
                    return bad("an x264 preset: ultrafast, superfast, veryfast, faster, fast, medium, slow, slower, "
                               "veryslow or placebo");
                options.preset = v;
                have_preset = true;
            }
            else if (arg == "--scale")
            {
                if (!whole(options.scale, 1, 6))
                    return false;
            }
            else if (arg == "--pad")
            {
                if (!value())
                    return false;
                if (!Parse_Ratio(v, options.pad_width, options.pad_height))
                    return bad("a shape W:H such as 16:9");
            }
            else if (arg == "--at" || arg == "--from" || arg == "--to")
            {
                if (!value())
                    return false;
                Show_Time& t = arg == "--at" ? options.at : arg == "--from" ? options.from : options.to;
                if (!Parse_Time(v, t))
                    return bad("seconds (like 12.5) or ORDER:ROW with a row from 0 to 63 (like 11:32)");
            }
            else if (arg == "--out" || arg == "--sheet")
            {
                if (!value())
                    return false;
                if (v.empty())
                    return error = arg + " needs a file name", false;
                options.out = v;
                (arg == "--out" ? have_out : have_sheet) = true;
            }
            else if (arg == "--log" || arg == "--sound" || arg == "--data")
            {
                if (!value())
                    return false;
                if (v.empty())
                    return error = arg + " needs a name", false;
                (arg == "--log" ? options.log : arg == "--sound" ? options.sound : options.data) = v;
            }
            else
                return error = "unknown option " + arg + " (see --help)", false;
        }

        // What --out names decides the kind of output.
        const std::string& out = options.out;
        if (have_sheet)
        {
            if (have_out || options.at.set)
                return error = "--sheet stands alone: no --out or --at with it", false;
            if (!Ends_With(out, ".png"))
                return error = "--sheet writes a .png file", false;
            options.kind = Output_Kind::Sheet;
        }
        else if (!have_out)
        {
            if (options.log.empty() && options.sound.empty())
                return error = "nothing to write: give --out FILE.mp4, --out DIR/, --at T --out FILE.png, "
                               "--sheet FILE.png, --sound FILE.wav or --log FILE",
                       false;
            options.kind = Output_Kind::None;
        }
        else if (options.at.set)
        {
            if (!Ends_With(out, ".png"))
                return error = "--at writes one frame: --out must name a .png file", false;
            options.kind = Output_Kind::Still;
        }
        else if (out.back() == '/')
            options.kind = Output_Kind::Frames;
        else if (Ends_With(out, ".mp4") || Ends_With(out, ".mkv"))
            options.kind = Output_Kind::Video;
        else if (Ends_With(out, ".raw"))
            options.kind = Output_Kind::Raw;
        else
            return error = "--out takes FILE.mp4, FILE.mkv, DIR/ (PNG frames), FILE.raw, or FILE.png with --at", false;

        // Options that do not fit the output.
        const bool moving = options.kind == Output_Kind::Video || options.kind == Output_Kind::Frames ||
            options.kind == Output_Kind::Raw || options.kind == Output_Kind::None;
        const bool x264 = options.kind == Output_Kind::Video && Ends_With(out, ".mp4");
        if ((options.from.set || options.to.set) && !moving)
            return error = "--from and --to record part of the show: not with --at or --sheet", false;
        if ((options.from.set || options.to.set) && options.at.set)
            return error = "--at picks one frame: not with --from or --to", false;
        if ((have_crf || have_preset || options.lossless) && !x264)
            return error = std::string(have_crf          ? "--crf"
                                           : have_preset ? "--preset"
                                                         : "--lossless") +
                       " sets the H.264 encoder: only with --out FILE.mp4 (FILE.mkv is always lossless)",
                   false;
        if (options.lossless && (have_crf || have_preset))
            return error = "--lossless sets its own quality: not with --crf or --preset", false;
        const bool pictures = options.kind == Output_Kind::Video || options.kind == Output_Kind::Frames ||
            options.kind == Output_Kind::Still;
        if ((options.scale != 1 || options.pad_width) && !pictures)
            return error = "--scale and --pad shape the picture of a video, PNG frames or a still", false;
        if (options.pad_width && options.pad_width * 3 == options.pad_height * 4)
            options.pad_width = options.pad_height = 0;  // 4:3 already: no bars
        return true;
    }
}
