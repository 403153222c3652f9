// The capture tool's command line.
#pragma once
#include <string>

namespace Ryx_Capture
{
    enum class Output_Kind { Video, Frames, Still, Sheet, Log_Only, Raw };

    struct Capture_Options
    {
        Output_Kind kind = Output_Kind::Video;
        std::string out;        // FILE.mp4, DIR/, FILE.png, or the sheet's FILE.png
        std::string data = "."; // the folder the show runs in
        std::string log;        // a line per frame: index, order, row, hash, brightness
        std::string sound;      // the sound as a WAV file, beside any other output
        int fps = 60;
        bool lossless = false;
        bool quiet = false;
        // --at: seconds of show time, or an order:row position.
        bool at_position = false;
        double at_seconds = 0.0;
        int at_order = 0;
        int at_row = 0;
    };

    // Parses argv; false with a one-line reason. help is set for --help.
    bool Parse_Capture_Options(int argc, char** argv, Capture_Options& options, bool& help, std::string& error);

    const char* Capture_Usage();
}
