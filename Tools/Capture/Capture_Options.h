// The capture tool's command line.
#pragma once
#include <string>

namespace Ryx_Capture
{
    // What --out names: a video (.mp4 H.264, .mkv lossless FFV1), a folder of
    // PNG frames, one still, a contact sheet, raw frames, or nothing but the
    // side outputs (--log, --sound).
    enum class Output_Kind
    {
        Video,
        Frames,
        Still,
        Sheet,
        Raw,
        None
    };

    // A moment of the show: seconds of show time, or an order:row position.
    struct Show_Time
    {
        bool set = false;
        bool position = false;
        double seconds = 0.0;
        int order = 0;
        int row = 0;
        std::string text;  // as the user wrote it, for messages
    };

    struct Capture_Options
    {
        Output_Kind kind = Output_Kind::None;
        std::string out;    // FILE.mp4, FILE.mkv, DIR/, FILE.png, the sheet's FILE.png or FILE.raw
        std::string data;   // the folder the show runs in; empty: found as demo finds it
        std::string log;    // a line per frame: index, order, row, hash, brightness
        std::string sound;  // the sound as a WAV file, beside any other output
        int fps = 60;
        bool lossless = false;
        bool quiet = false;
        bool overwrite = false;  // -y: replace existing outputs
        bool calm = false;       // through the calm stage, as demo --calm shows it
        int crf = -1;            // -1: the default
        std::string preset;      // empty: the default
        int scale = 1;
        int pad_width = 0, pad_height = 0;  // --pad W:H; 0: no bars
        Show_Time at;                       // the still's moment
        Show_Time from, to;                 // the recorded part of the show
    };

    // Parses argv; false with a one-line reason. help or version is set when
    // asked for (nothing else is then checked).
    bool Parse_Capture_Options(int argc, char** argv, Capture_Options& options, bool& help, bool& version,
                               std::string& error);

    const char* Capture_Usage();

    // Exit statuses besides 0 (done) and 2 (bad command line).
    constexpr int Exit_Failed = 1;      // nothing written
    constexpr int Exit_Short_Show = 3;  // the music ended before order 36; what played was kept
}
