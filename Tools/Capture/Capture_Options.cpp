#include "Tools/Capture/Capture_Options.h"

#include <cstdlib>
#include <cstring>

namespace Ryx_Capture
{
    namespace
    {
        bool Ends_With(const std::string& s, const char* tail)
        {
            std::size_t n = std::strlen(tail);
            return s.size() >= n && s.compare(s.size() - n, n, tail) == 0;
        }

        bool Parse_Int(const char* text, int& value)
        {
            char* end = nullptr;
            long v = std::strtol(text, &end, 10);
            if (end == text || *end != '\0' || v < -1000000 || v > 1000000)
                return false;
            value = static_cast<int>(v);
            return true;
        }

        bool Parse_At(const std::string& text, Capture_Options& options)
        {
            std::size_t colon = text.find(':');
            if (colon != std::string::npos)
            {
                options.at_position = true;
                return Parse_Int(text.substr(0, colon).c_str(), options.at_order) &&
                       Parse_Int(text.substr(colon + 1).c_str(), options.at_row) && options.at_order >= 0 &&
                       options.at_row >= 0 && options.at_row < 256;
            }
            char* end = nullptr;
            options.at_seconds = std::strtod(text.c_str(), &end);
            return end != text.c_str() && *end == '\0' && options.at_seconds >= 0.0 && options.at_seconds < 3600.0;
        }
    }

    const char* Capture_Usage()
    {
        return "usage: capture [options] --out FILE.mp4      record the show to an H.264/AAC video\n"
               "       capture [options] --out DIR/          PNG frames DIR/frame_NNNNNN.png and DIR/sound.wav\n"
               "       capture [options] --at T --out FILE.png   one frame at T seconds of show time,\n"
               "                                             or at T = ORDER:ROW of the music\n"
               "       capture [options] --sheet FILE.png    a contact sheet: one thumbnail per order\n"
               "       capture [options] --out FILE.raw      the frames as raw 640 x 480 BGRX, one after\n"
               "                                             another (for measuring the encoder alone)\n"
               "options:\n"
               "  --fps N       frames per second of show time, 1 to 240 (default 60)\n"
               "  --lossless    lossless video (H.264 RGB at qp 0) instead of the default crf 16\n"
               "  --data DIR    the show's data folder (default: the current folder)\n"
               "  --log FILE    a line per frame: index, order, row, FNV-1a hash of the\n"
               "                pixels and mean brightness (alone: render without output)\n"
               "  --sound FILE  also write the sound as a 16-bit stereo WAV file\n"
               "  --quiet       no progress output\n"
               "  --help        this text\n"
               "The show is rendered frame by frame on a virtual clock: frame n is drawn at\n"
               "exactly n / fps seconds with the music position heard at that instant.\n";
    }

    bool Parse_Capture_Options(int argc, char** argv, Capture_Options& options, bool& help, std::string& error)
    {
        help = false;
        bool have_out = false, have_at = false, have_sheet = false;
        for (int i = 1; i < argc; ++i)
        {
            std::string arg = argv[i];
            auto value = [&](const char*& v) {
                if (i + 1 >= argc)
                    return error = "option " + arg + " needs a value", false;
                v = argv[++i];
                return true;
            };
            const char* v = nullptr;
            if (arg == "--help" || arg == "-h")
                return help = true, true;
            else if (arg == "--lossless")
                options.lossless = true;
            else if (arg == "--quiet")
                options.quiet = true;
            else if (arg == "--fps")
            {
                if (!value(v))
                    return false;
                if (!Parse_Int(v, options.fps) || options.fps < 1 || options.fps > 240)
                    return error = "--fps takes a whole number from 1 to 240, not " + std::string(v), false;
            }
            else if (arg == "--out")
            {
                if (!value(v))
                    return false;
                options.out = v;
                have_out = true;
            }
            else if (arg == "--sheet")
            {
                if (!value(v))
                    return false;
                options.out = v;
                have_sheet = true;
            }
            else if (arg == "--at")
            {
                if (!value(v))
                    return false;
                if (!Parse_At(v, options))
                    return error = "--at takes seconds (like 12.5) or ORDER:ROW (like 11:32), not " + std::string(v), false;
                have_at = true;
            }
            else if (arg == "--log")
            {
                if (!value(v))
                    return false;
                options.log = v;
            }
            else if (arg == "--sound")
            {
                if (!value(v))
                    return false;
                options.sound = v;
            }
            else if (arg == "--data")
            {
                if (!value(v))
                    return false;
                options.data = v;
            }
            else
                return error = "unknown option " + arg + " (see --help)", false;
        }

        if (have_sheet)
        {
            if (have_out || have_at)
                return error = "--sheet stands alone: no --out or --at with it", false;
            if (!Ends_With(options.out, ".png"))
                return error = "--sheet writes a .png file", false;
            options.kind = Output_Kind::Sheet;
            return true;
        }
        if (!have_out && !have_at && !options.log.empty())
        {
            options.kind = Output_Kind::Log_Only;
            return true;
        }
        if (!have_out || options.out.empty())
            return error = "nothing to write: give --out FILE.mp4, --out DIR/, --at T --out FILE.png or --sheet FILE.png", false;
        if (have_at)
        {
            if (!Ends_With(options.out, ".png"))
                return error = "--at writes one frame: --out must name a .png file", false;
            options.kind = Output_Kind::Still;
        }
        else if (options.out.back() == '/')
            options.kind = Output_Kind::Frames;
        else if (Ends_With(options.out, ".mp4"))
            options.kind = Output_Kind::Video;
        else if (Ends_With(options.out, ".raw"))
            options.kind = Output_Kind::Raw;
        else
            return error = "--out takes FILE.mp4 (a video) or DIR/ (PNG frames and sound.wav)", false;
        return true;
    }
}
