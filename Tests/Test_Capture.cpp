// The whole show through the capture tool, run as a process the way a user
// or a script runs it: command line, end to end, determinism, reference
// frames, picture-sound sync, and bad data.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "Platform/Display.h"
#include "Tools/Capture/File_Outputs.h"
#include "Tools/Capture/Frame_Clock.h"
#include "Tools/Capture/Frame_Folder.h"
#include "Tools/Capture/Output_List.h"
#include "Tools/Capture/Video_Writer.h"
#include "Tools/Flash_Check/Show_Frames.h"
#include "Tools/Xm_Writer/Xm_Writer.h"
#include "Flash_Warning.h"
#include "Orvi_Version.h"

namespace fs = std::filesystem;

namespace
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    constexpr bool Sanitized = true;
#else
    constexpr bool Sanitized = false;
#endif

    struct Run_Result
    {
        int status = -1;
        std::string err;
    };

    std::string Temp_Dir(const std::string& name)
    {
        fs::path dir = fs::temp_directory_path() / ("ryx_capture_" + name + "_" + std::to_string(getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        return dir.string();
    }

    std::string Read_File(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    Run_Result Capture(const std::string& arguments, const std::string& data = RYX_DATA_DIR)
    {
        std::string err_file = fs::temp_directory_path() / ("ryx_capture_err_" + std::to_string(getpid()));
        std::string command = std::string(RYX_BIN_DIR) + "/capture --data '" + data + "' " + arguments + " 2>'" +
            err_file + "' >/dev/null";
        Run_Result r;
        int status = std::system(command.c_str());
        r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        r.err = Read_File(err_file);
        fs::remove(err_file);
        return r;
    }

    struct Frame_Line
    {
        long index = 0;
        int order = 0, row = 0;
        std::string hash;
        double brightness = 0;
    };

    std::vector<Frame_Line> Read_Log(const std::string& path)
    {
        std::vector<Frame_Line> lines;
        std::ifstream in(path);
        Frame_Line f;
        while (in >> f.index >> f.order >> f.row >> f.hash >> f.brightness)
            lines.push_back(f);
        return lines;
    }

    std::vector<std::int16_t> Read_Wav(const std::string& path)
    {
        std::string bytes = Read_File(path);
        std::vector<std::int16_t> samples;
        if (bytes.size() < 44)
            return samples;
        samples.resize((bytes.size() - 44) / 2);
        for (std::size_t i = 0; i < samples.size(); ++i)
            samples[i] = std::int16_t(std::uint8_t(bytes[44 + 2 * i]) | std::uint8_t(bytes[45 + 2 * i]) << 8);
        return samples;
    }

    bool Has_Show_Data()
    {
        return fs::exists(fs::path(RYX_DATA_DIR) / "tekno.xm") && fs::exists(fs::path(RYX_DATA_DIR) / "texture");
    }

    std::string Capture_Command(const std::string& arguments, const std::string& data = RYX_DATA_DIR)
    {
        return std::string(RYX_BIN_DIR) + "/capture --data '" + data + "' " + arguments;
    }

    // What a command (ffmpeg, ffprobe) prints on stdout.
    std::string Shell_Output(const std::string& command)
    {
        std::string out;
        if (std::FILE* pipe = popen(command.c_str(), "r"))
        {
            char buffer[4096];
            while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
                out.append(buffer, n);
            pclose(pipe);
        }
        return out;
    }

    // The first picture of a video or image file as decoded by ffmpeg: RGB bytes.
    std::string First_Picture(const std::string& path)
    {
        return Shell_Output("ffmpeg -v error -i '" + path + "' -frames:v 1 -f rawvideo -pix_fmt rgb24 -");
    }

    // The capture log's hash of a picture: FNV-1a over blue, green, red.
    std::string Log_Hash(const std::string& rgb)
    {
        std::uint64_t hash = 14695981039346656037ull;
        for (std::size_t i = 0; i + 2 < rgb.size(); i += 3)
            for (int c : {2, 1, 0})
                hash = (hash ^ std::uint8_t(rgb[i + std::size_t(c)])) * 1099511628211ull;
        char text[17];
        std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
        return text;
    }

    // The names in a folder, sorted, each followed by a space.
    std::string Listing(const std::string& dir)
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        std::string all;
        for (const std::string& n : names)
            all += n + " ";
        return all;
    }
}

// Everything that can be refused is refused at once, with one line and
// nothing left behind: bad values, moments past the show's end (with its
// length), outputs that cannot be written or that would replace earlier ones.
TEST(Capture_Command_Line, BadOptionsAndOutputsAreRefusedBeforeTheFirstFrame)
{
    Run_Result help = Capture("--help");
    EXPECT_EQ(help.status, 0);
    const std::string usage = Shell_Output(std::string(RYX_BIN_DIR) + "/capture --help");
    for (const char* part : {"--calm", ORVI_FLASH_WARNING_LINES})
        EXPECT_NE(usage.find(part), std::string::npos) << part;
    EXPECT_EQ(Shell_Output(std::string(RYX_BIN_DIR) + "/capture --version"), "capture (Orvi) " ORVI_VERSION "\n");
    for (const char* bad : {"--fps 0 --out x.mp4",
                            "--fps 241 --out x.mp4",
                            "--fps ' 5' --out x.mp4",
                            "--fps +5 --out x.mp4",
                            "--fps 1e1 --out x.mp4",
                            "--out x.avi",
                            "--at 1:2:3 --out a.png",
                            "--at 11:70 --out a.png",
                            "--at -1 --out a.png",
                            "--at 5 --out a.mp4",
                            "--crf 52 --out x.mp4",
                            "--preset fastest --out x.mp4",
                            "--crf 20 --out x.mkv",
                            "--lossless --out d/",
                            "--scale 7 --out x.mp4",
                            "--scale 2 --out x.raw",
                            "--pad 16 --out x.mp4",
                            "--from 5 --at 3 --out a.png",
                            "--from 1 --sheet s.png",
                            "--bogus",
                            "--out",
                            ""})
    {
        Run_Result r = Capture(bad);
        EXPECT_EQ(r.status, 2) << bad;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << bad << ": " << r.err;
    }
    if (!Has_Show_Data())
        GTEST_SKIP() << "no show data";

    std::string dir = Temp_Dir("refuse");
    fs::create_directory(dir + "/folder.mp4");
    std::ofstream(dir + "/old.mp4") << "an earlier video";
    fs::create_directory(dir + "/frames");
    std::ofstream(dir + "/frames/frame_000000.png") << "an earlier frame";
    const std::string log = " --log '" + dir + "/log.txt'";
    struct Case
    {
        std::string arguments;
        int status;
        const char* says;
    };
    for (const Case& c :
         std::vector<Case>{{"--at 250 --out '" + dir + "/a.png'", 2, "the show is 201.87 s: orders 0 to 35"},
                           {"--at 40:0 --out '" + dir + "/a.png'", 2, "past the show's end"},
                           {"--from 3:0 --to 2:0 --out '" + dir + "/a.mp4'", 2, "is not before"},
                           {"--to 300 --out '" + dir + "/a.mp4'", 2, "the show is 201.87 s"},
                           {"--out '" + dir + "/folder.mp4'", 1, "it is a folder"},
                           {"--out '" + dir + "/missing/a.mp4'", 1, "No such file or directory"},
                           {"--out '" + dir + "/old.mp4'", 1, "exists: give -y"},
                           {"--out '" + dir + "/frames/'", 1, "holds an earlier capture"},
                           {"--out '" + dir + "/same.mp4' --sound '" + dir + "/same.mp4'", 1, "named for two outputs"}})
    {
        Run_Result r = Capture("--quiet " + c.arguments + log);
        EXPECT_EQ(r.status, c.status) << c.arguments;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << c.arguments << ": " << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
    EXPECT_EQ(Listing(dir), "folder.mp4 frames old.mp4 ");
    EXPECT_EQ(Read_File(dir + "/old.mp4"), "an earlier video");
    fs::remove_all(dir);
}

// The seam behind the encoder choice: without libx264, another H.264 encoder
// that FFmpeg has, and none when it has none.
TEST(Capture_Command_Line, AnotherH264EncoderWhenLibx264IsMissing)
{
    auto only = [](std::vector<std::string> names) {
        return [names](const char* n) { return std::find(names.begin(), names.end(), n) != names.end(); };
    };
    using Ryx_Capture::H264_Encoders;
    EXPECT_EQ(H264_Encoders(only({"h264_nvenc", "libx264", "libopenh264"})).front(), "libx264");
    EXPECT_EQ(H264_Encoders(only({"h264_v4l2m2m", "libopenh264"})),
              (std::vector<std::string>{"libopenh264", "h264_v4l2m2m"}));
    EXPECT_TRUE(H264_Encoders(only({"h264_vaapi", "libx265"})).empty());
}

TEST(Capture_Command_Line, MissingModuleStopsBeforeAnythingIsWritten)
{
    std::string empty = Temp_Dir("nomodule");
    std::string out = Temp_Dir("nomodule_out");
    Run_Result r = Capture("--quiet --out '" + out + "/show.mp4'", empty);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("tekno.xm"), std::string::npos) << r.err;
    EXPECT_TRUE(fs::is_empty(out));
    std::ofstream(empty + "/tekno.xm") << "not a module at all";
    r = Capture("--quiet --out '" + out + "/show.mp4'", empty);
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(fs::is_empty(out));
    fs::remove_all(empty);
    fs::remove_all(out);
}

namespace
{
    // The capture with its outputs in `dir`, a disk of 2 MB that fills up: a
    // tmpfs mounted in a mount namespace of its own (gone with the process)
    // where the system allows one, else the same folder under a 2 MB file-size
    // limit, which fails writes as a full disk does ("File too large").
    Run_Result Capture_On_Full_Disk(const std::string& dir, const std::string& arguments)
    {
        std::string script = dir + ".sh", err = dir + ".err", status = dir + ".status";
        std::ofstream(script) << "mount -t tmpfs -o size=2m tmpfs '" << dir << "' || exit 99\n"
                              << Capture_Command(arguments) << " 2>'" << err << "'\n"
                              << "echo $? >'" << status << "'\n"
                              << "ls -A '" << dir << "'\n";
        std::string listing = Shell_Output("unshare -m sh '" + script + "' 2>/dev/null");
        Run_Result r;
        if (fs::exists(status))
            r.status = std::stoi(Read_File(status));
        else
        {
            int s =
                std::system(("sh -c \"ulimit -f 2048; " + Capture_Command(arguments) + " 2>'" + err + "'\"").c_str());
            r.status = WIFEXITED(s) ? WEXITSTATUS(s) : -1;
            listing = Listing(dir);
        }
        r.err = Read_File(err) + (listing.empty() ? "" : "left: " + listing);
        for (const std::string& f : {script, err, status})
            fs::remove(f);
        return r;
    }

    // Starts the capture, waits until it has written `grown` bytes into
    // `watch`, sends the signal, and gives the exit status.
    int Capture_And_Signal(const std::string& arguments, const std::string& watch, int signal_number)
    {
        std::string command = Capture_Command(arguments) + " 2>/dev/null";
        pid_t child = fork();
        if (child == 0)
        {
            execl("/bin/sh", "sh", "-c", ("exec " + command).c_str(), static_cast<char*>(nullptr));
            _exit(121);
        }
        int status = 0;
        for (int i = 0; i < 3000; ++i)  // 30 s at most
        {
            std::error_code ignored;
            if (fs::exists(watch, ignored) && fs::file_size(watch, ignored) > 100000)
                break;
            if (waitpid(child, &status, WNOHANG) == child)
                return -2;  // ended before it could be stopped
            usleep(10 * 1000);
        }
        kill(child, signal_number);
        waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
}

// Whole files or none: a full disk, SIGINT and SIGTERM leave no file under a
// final name and no temporary file either, and a failed write says which
// file and why.
TEST(Capture_Files, FullDiskAndSignalsLeaveNothingBehind)
{
    if (!Has_Show_Data())
        GTEST_SKIP() << "no show data";
    std::string root = Temp_Dir("whole");
    std::string disk = root + "/disk";
    fs::create_directory(disk);
    for (const std::string& outputs :
         {"--out '" + disk + "/show.mp4' --log '" + disk + "/log.txt'", "--out '" + disk + "/frames/'"})
    {
        Run_Result r = Capture_On_Full_Disk(disk, "--fps 10 --quiet " + outputs);
        EXPECT_EQ(r.status, 1) << outputs << ": " << r.err;
        EXPECT_TRUE(r.err.find("No space left on device") != std::string::npos ||
                    r.err.find("File too large") != std::string::npos)
            << r.err;
        EXPECT_NE(r.err.find("cannot write " + disk +
                             (outputs.find("mp4") != std::string::npos ? "/show.mp4: " : "/frames/frame_")),
                  std::string::npos)
            << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_TRUE(fs::is_empty(disk)) << Listing(disk);
    }

    const std::string mp4 =
        "--fps 30 --out '" + root + "/show.mp4' --log '" + root + "/log.txt' --sound '" + root + "/sound.wav'";
    EXPECT_EQ(Capture_And_Signal(mp4, root + "/sound.wav.part", SIGINT), 130);
    EXPECT_EQ(
        Capture_And_Signal("--fps 30 --out '" + root + "/new/frames/'", root + "/new/frames/sound.wav.part", SIGTERM),
        143);
    EXPECT_EQ(Listing(root), "disk ");  // the folders it made are gone too
    fs::remove_all(root);
}

namespace
{
    // An output that opens and takes everything, then fails to finish.
    class Failing_Output : public Ryx_Capture::Capture_Output
    {
    public:
        explicit Failing_Output(bool fail) : m_fail(fail) {}
        bool Open(std::string&, std::string&) override { return true; }
        bool Finish(std::string& error) override { return !m_fail || (error = "the disk went away", false); }
        bool Commit(std::string&) override { return true; }
        void Discard() override {}
        std::uint64_t Get_Size() const override { return 0; }

    private:
        bool m_fail;
    };
}

// The outputs of a run stand or fall together: when the last one fails to
// finish, the others, already finished under their temporary names, are
// removed with the folder made for them and nothing is renamed; when all
// finish, every one is renamed into place and no temporary file is left.
TEST(Capture_Files, OneOutputFailingToFinishLeavesNoOutput)
{
    using namespace Ryx_Capture;
    const std::string dir = Temp_Dir("list");
    const std::vector<std::uint32_t> pixels(640 * 480, 0xFF204060u);
    const std::vector<std::int16_t> sound(2 * 735, 7);
    for (bool fail : {true, false})
    {
        std::string error;
        {
            Output_List outputs;
            outputs.Add(Make_Log_Output(dir + "/log.txt"));
            outputs.Add(Make_Wav_Output(dir + "/sound.wav"));
            outputs.Add(std::make_unique<Frame_Folder>(dir + "/made/frames/", false, Make_Layout(640, 480, 1, 0, 0)));
            outputs.Add(std::make_unique<Failing_Output>(fail));
            std::vector<std::string> notes;
            ASSERT_TRUE(outputs.Open(error, notes)) << error;
            for (int i = 0; i < 2; ++i)
            {
                ASSERT_TRUE(outputs.Add_Frame({pixels.data(), 640, 480, i, 0, i, 0.0}, error)) << error;
                ASSERT_TRUE(outputs.Add_Sound(sound.data(), 735, error)) << error;
            }
            EXPECT_EQ(Listing(dir), "log.txt.part made sound.wav.part ");
            EXPECT_EQ(outputs.Finish(error), !fail);
            if (!fail)
            {
                EXPECT_TRUE(outputs.Commit(error)) << error;
            }
        }
        if (fail)
        {
            EXPECT_EQ(error, "the disk went away");
            EXPECT_EQ(Listing(dir), "");
            continue;
        }
        EXPECT_EQ(Listing(dir), "log.txt made sound.wav ");
        EXPECT_EQ(Listing(dir + "/made/frames"), "frame_000000.png frame_000001.png ");
        EXPECT_EQ(Read_Log(dir + "/log.txt").size(), 2u);
        EXPECT_EQ(Read_Wav(dir + "/sound.wav"), std::vector<std::int16_t>(4 * 735, 7));
    }
    fs::remove_all(dir);
}

// -y replaces outputs, and replaces a folder of frames wholly: earlier frames
// past the new last one go. An empty file (as mktemp makes) needs no -y.
TEST(Capture_Files, YesReplacesEarlierOutputsWholly)
{
    if (!Has_Show_Data())
        GTEST_SKIP() << "no show data";
    std::string dir = Temp_Dir("yes");
    fs::create_directory(dir + "/frames");
    for (const char* name : {"frame_000000.png", "frame_000005.png", "notes.txt"})
        std::ofstream(dir + "/frames/" + name) << "earlier";
    std::ofstream(dir + "/log.txt").close();
    Run_Result r =
        Capture("--quiet --fps 2 --from 1 --to 2 --out '" + dir + "/frames/' -y --log '" + dir + "/log.txt'");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Listing(dir + "/frames"), "frame_000000.png frame_000001.png notes.txt sound.wav ");
    EXPECT_NE(Read_File(dir + "/frames/frame_000000.png"), "earlier");
    std::vector<Frame_Line> log = Read_Log(dir + "/log.txt");
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].index, 2);                                         // the show's own frame numbers: 1 s at 2 fps
    EXPECT_EQ(Read_Wav(dir + "/frames/sound.wav").size(), 2u * 44100);  // exactly the two frames' second
    fs::remove_all(dir);
}

// A module that ends at order 20: the capture keeps the whole file of what
// played, says where the music ended, and exits 3; a moment past its end is
// refused with its length.
TEST(Capture_Show, MusicEndingBeforeOrder36ExitsThree)
{
    if (!Has_Show_Data())
        GTEST_SKIP() << "no show data";
    // The show's pictures and a module of our own: 21 orders of 64 rows at 432
    // sound frames a row (speed 1, tempo 255), 13.17 s.
    std::string data = Temp_Dir("short");
    for (const char* folder : {"texture", "tekstit"})
        fs::create_directory_symlink(fs::path(RYX_DATA_DIR) / folder, fs::path(data) / folder);
    Ryx_Tools::Xm_Module module;
    module.channels = 1;
    module.speed = 1;
    module.tempo = 255;
    module.patterns.emplace_back(64, 1);
    module.orders.assign(21, 0);
    ASSERT_TRUE(Ryx_Tools::Save_Xm(module, data + "/tekno.xm"));
    std::string out = data + "/out";
    fs::create_directory(out);
    Run_Result r = Capture("--quiet --fps 5 --out '" + out + "/show.mp4' --log '" + out + "/log.txt'", data);
    EXPECT_EQ(r.status, 3) << r.err;
    EXPECT_NE(r.err.find("music ended at order 20 row 63"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("before order 36"), std::string::npos) << r.err;
    std::vector<Frame_Line> log = Read_Log(out + "/log.txt");
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back().order, 20);
    EXPECT_EQ(Shell_Output("ffprobe -v error -count_frames -select_streams v -show_entries stream=nb_read_frames "
                           "-of csv=p=0 '" +
                           out + "/show.mp4'"),
              std::to_string(log.size()) + "\n");
    r = Capture("--quiet --at 20 --out '" + out + "/late.png'", data);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("the show is 13.17 s: orders 0 to 20"), std::string::npos) << r.err;
    fs::remove_all(data);
}

// Enlarged three times and centred in 16:9: 2560 x 1440 H.264 whose middle
// 1920 x 1440 is the frame with every pixel made a 3 x 3 block, exactly so in
// the lossless video, within the encoder's error in the default one.
TEST(Capture_Show, ScaleThreePadSixteenNine)
{
    if (!Has_Show_Data())
        GTEST_SKIP() << "no show data";
    std::string dir = Temp_Dir("scale");
    const std::string at = " --fps 30 --quiet ";
    ASSERT_EQ(Capture(at + "--at 4:2 --out '" + dir + "/small.png'").status, 0);
    for (const char* quality : {"--lossless", ""})
    {
        std::string video = dir + "/big" + quality + ".mp4";
        Run_Result r = Capture(at + "--from 4:2 --to 4:3 --scale 3 --pad 16:9 " + quality + " --out '" + video + "'");
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(Shell_Output("ffprobe -v error -select_streams v -show_entries stream=codec_name,width,height "
                               "-of csv=p=0 '" +
                               video + "'"),
                  "h264,2560,1440\n");
        std::string small = First_Picture(dir + "/small.png"), big = First_Picture(video);
        ASSERT_EQ(small.size(), 640u * 480 * 3);
        ASSERT_EQ(big.size(), 2560u * 1440 * 3);
        double error = 0, bars = 0;
        for (int y = 0; y < 1440; ++y)
            for (int x = 0; x < 2560; ++x)
                for (int c = 0; c < 3; ++c)
                {
                    int v = std::uint8_t(big[(std::size_t(y) * 2560 + x) * 3 + c]);
                    if (x < 320 || x >= 2240)
                        bars += v;
                    else
                        error += std::abs(v - std::uint8_t(small[(std::size_t(y / 3) * 640 + (x - 320) / 3) * 3 + c]));
                }
        double mean_error = error / (1920.0 * 1440 * 3);
        if (*quality)
            EXPECT_EQ(mean_error, 0.0);
        else
            EXPECT_LT(mean_error, 3.0);
        EXPECT_LT(bars / (640.0 * 1440 * 3), *quality ? 0.001 : 1.0);  // black
    }
    fs::remove_all(dir);
}

// Orders 2 and 3 alone: exactly their 128 rows of frames, the very frames of
// the show from its start (the first one that of --at 2:0), the sound cut to the same
// samples, and a video of the same length.
TEST(Capture_Show, SegmentIsExactlyThoseFramesAndSamples)
{
    if (!Has_Show_Data())
        GTEST_SKIP() << "no show data";
    std::string dir = Temp_Dir("segment");
    ASSERT_EQ(Capture("--quiet --to 4:0 --log '" + dir + "/whole.log' --sound '" + dir + "/whole.wav'").status, 0);
    const std::vector<Frame_Line> start_log = Read_Log(dir + "/whole.log");
    const std::vector<std::int16_t> start_sound = Read_Wav(dir + "/whole.wav");
    Run_Result r = Capture("--quiet --from 2:0 --to 4:0 --out '" + dir + "/seg.mp4' --sound '" + dir +
                           "/seg.wav' --log '" + dir + "/seg.log'");
    ASSERT_EQ(r.status, 0) << r.err;
    ASSERT_EQ(Capture("--quiet --at 2:0 --out '" + dir + "/at.png'").status, 0);

    std::vector<Frame_Line> seg = Read_Log(dir + "/seg.log");
    ASSERT_FALSE(seg.empty());
    std::vector<const Frame_Line*> expected;
    for (const Frame_Line& f : start_log)
        if (f.order == 2 || f.order == 3)
            expected.push_back(&f);
    ASSERT_EQ(seg.size(), expected.size());
    std::set<int> rows;
    for (std::size_t i = 0; i < seg.size(); ++i)
    {
        EXPECT_EQ(seg[i].index, expected[i]->index);
        EXPECT_EQ(seg[i].hash, expected[i]->hash) << "frame " << seg[i].index;
        rows.insert(seg[i].order * 64 + seg[i].row);
    }
    EXPECT_EQ(rows.size(), 128u);
    EXPECT_EQ(Log_Hash(First_Picture(dir + "/at.png")), seg.front().hash);

    const std::size_t first = std::size_t(seg.front().index) * 735 * 2,
                      end = std::size_t(seg.back().index + 1) * 735 * 2;
    std::vector<std::int16_t> sound = Read_Wav(dir + "/seg.wav");
    ASSERT_LE(end, start_sound.size());
    EXPECT_TRUE(sound == std::vector<std::int16_t>(start_sound.begin() + long(first), start_sound.begin() + long(end)));

    std::istringstream probe(Shell_Output("ffprobe -v error -count_frames -show_entries stream=nb_read_frames,duration "
                                          "-of csv=p=0 '" +
                                          dir + "/seg.mp4'"));
    double video_seconds = 0, audio_seconds = 0;
    long frames = 0;
    char comma = 0;
    probe >> video_seconds >> comma >> frames >> audio_seconds;
    EXPECT_EQ(frames, long(seg.size()));
    EXPECT_NEAR(audio_seconds, double(seg.size()) / 60, 1024.0 / 44100);  // within one AAC frame
    fs::remove_all(dir);
}

// The whole show at 10 frames a second: no assertion report, the end reached
// in order 35 (and, in the sanitizer build, no sanitizer finding: it would
// end the process with an error).
TEST(Capture_Show, PlaysToTheEndWithoutReports)
{
    if (!Has_Show_Data())
        GTEST_SKIP() << "no show data";
    std::string dir = Temp_Dir("e2e");
    Run_Result r = Capture("--fps 10 --quiet --log '" + dir + "/log.txt'");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err.find("assertion:"), std::string::npos) << r.err;
    std::vector<Frame_Line> log = Read_Log(dir + "/log.txt");
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back().order, 35);
    EXPECT_GT(log.size(), 2000u);  // about 202 s of show
    fs::remove_all(dir);
}

TEST(Capture_Show, SameOptionsGiveTheSameBytes)
{
    if (!Has_Show_Data())
        GTEST_SKIP() << "no show data";
    std::string dir = Temp_Dir("same");
    for (const char* name : {"a", "b"})
    {
        Run_Result r = Capture(std::string("--fps 30 --quiet --at 4:2 --out '") + dir + "/" + name + ".png' --sound '" +
                               dir + "/" + name + ".wav'");
        ASSERT_EQ(r.status, 0) << r.err;
    }
    std::string a = Read_File(dir + "/a.png"), b = Read_File(dir + "/b.png");
    EXPECT_GT(a.size(), 1000u);
    EXPECT_EQ(a, b);
    EXPECT_EQ(Read_File(dir + "/a.wav"), Read_File(dir + "/b.wav"));
    EXPECT_GT(Read_File(dir + "/a.wav").size(), 44u + 4u * 44100u * 20u);  // order 4 is past 20 s
    fs::remove_all(dir);
}

// capture --calm records what the display's calm stage makes of the show:
// every frame it logs is the calm stage applied by hand, frame after frame at
// each frame's time, to the default show rendered here, the loading picture
// included; and the stage did change a good share of them. At 30 frames a
// second, as the stage works in seconds.
TEST(Capture_Show, CalmFramesAreTheCalmStageAppliedToTheDefaultFrames)
{
    if (Sanitized)
        GTEST_SKIP() << "the whole show twice: checked in the release build";
    if (!Has_Show_Data())
        GTEST_SKIP() << "no show data";
    std::string dir = Temp_Dir("calm");
    Run_Result r = Capture("--calm --fps 30 --quiet --log '" + dir + "/calm.txt'");
    ASSERT_EQ(r.status, 0) << r.err;
    std::vector<Frame_Line> log = Read_Log(dir + "/calm.txt");

    auto hash = [](const std::uint32_t* pixels, std::size_t count) {
        char text[17];
        std::snprintf(text, sizeof text, "%016llx",
                      static_cast<unsigned long long>(Ryx_Capture::Print_Frame(pixels, count).hash));
        return std::string(text);
    };
    std::unique_ptr<Ryx_Platform::Frame_Stage> stage = Ryx_Platform::Create_Calm_Stage();
    std::vector<std::uint32_t> frame;
    std::vector<std::string> calm, finished;
    auto visit = [&](const Ryx_Tools::Shown_Frame& f) {
        frame.assign(f.pixels, f.pixels + std::size_t(f.width) * std::size_t(f.height));
        stage->Apply(frame.data(), f.width, f.height, f.milliseconds);
        if (!f.in_show)
            return;
        calm.push_back(hash(frame.data(), frame.size()));
        finished.push_back(hash(f.pixels, frame.size()));
    };
    const fs::path here = fs::current_path();
    fs::current_path(RYX_DATA_DIR);
    Ryx_Tools::Stage_Record record;
    std::string error;
    const bool rendered = Ryx_Tools::Render_Show(30, nullptr, visit, record, error);
    fs::current_path(here);
    ASSERT_TRUE(rendered) << error;

    ASSERT_EQ(log.size(), calm.size());
    long changed = 0, different = 0, first = -1;
    for (std::size_t i = 0; i < calm.size(); ++i)
    {
        changed += calm[i] != finished[i];
        if (log[i].hash != calm[i] && different++ == 0)
            first = long(i);
    }
    EXPECT_EQ(different, 0) << "first at frame " << first;
    EXPECT_GT(changed, long(calm.size()) / 10) << "of " << calm.size();
    fs::remove_all(dir);
}

// One release-build run of the whole show at 60 fps, shared by the
// reference-frame and sync checks.
class Capture_Reference : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        if (Sanitized || !Has_Show_Data())
            return;
        s_dir = Temp_Dir("reference");
        Run_Result r = Capture("--fps 60 --quiet --log '" + s_dir + "/log.txt' --sound '" + s_dir + "/sound.wav'");
        s_ok = r.status == 0;
        s_err = r.err;
        if (s_ok)
        {
            s_log = Read_Log(s_dir + "/log.txt");
            s_sound = Read_Wav(s_dir + "/sound.wav");
        }
    }
    static void TearDownTestSuite()
    {
        if (!s_dir.empty())
            fs::remove_all(s_dir);
    }
    void SetUp() override
    {
        if (Sanitized)
            GTEST_SKIP() << "reference frames are checked in the release build";
        if (!Has_Show_Data())
            GTEST_SKIP() << "no show data";
        ASSERT_TRUE(s_ok) << s_err;
    }

    static inline std::string s_dir;
    static inline bool s_ok = false;
    static inline std::string s_err;
    static inline std::vector<Frame_Line> s_log;
    static inline std::vector<std::int16_t> s_sound;
};

// Hashes of chosen frames kept in Tests/Golden/frames.txt. Regenerate with
// Tools/golden.sh when a change is meant to alter the picture.
TEST_F(Capture_Reference, FramesMatchTheReferenceHashes)
{
    std::ifstream in(std::string(RYX_SOURCE_DIR) + "/Tests/Golden/frames.txt");
    ASSERT_TRUE(in) << "Tests/Golden/frames.txt is missing";
    std::string line;
    int checked = 0;
    while (std::getline(in, line))
    {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        long index = 0;
        std::string hash;
        fields >> index >> hash;
        ASSERT_LT(std::size_t(index), s_log.size());
        EXPECT_EQ(s_log[std::size_t(index)].hash, hash) << "frame " << index << " (" << line << ")";
        ++checked;
    }
    EXPECT_GE(checked, 12);
}

// Where a kick of the drum section is heard, the frame shown at that instant
// carries its flash: the sound's onset and the picture's brightness jump land
// on the same frame.
TEST_F(Capture_Reference, KickFlashesLandOnTheFramesWhereTheKickIsHeard)
{
    const int fps = 60;
    int checked = 0;
    for (int order : {30, 31})
        for (int row : {0, 10, 16, 32, 42, 48})
        {
            long first = -1;
            for (const Frame_Line& f : s_log)
                if (f.order == order && f.row == row)
                {
                    first = f.index;
                    break;
                }
            ASSERT_GT(first, 0) << order << ":" << row;
            // Sound: within a row either side, the kick's low band rises
            // most steeply at this frame's instant (a one-pole low-pass keeps
            // the hats out of it without delaying the attack).
            const std::size_t at = std::size_t(first) * 44100 / fps, block = 64;
            const std::size_t from = at - 3864 - 4000, to = at + 3864;
            std::vector<double> energy;
            double y1 = 0, e = 0;
            const double a = 2 * 3.14159265 * 250.0 / 44100.0;
            for (std::size_t i = from; i < to && 2 * i + 1 < s_sound.size(); ++i)
            {
                y1 += (0.5 * (s_sound[2 * i] + s_sound[2 * i + 1]) - y1) * a;
                e += y1 * y1;
                if ((i - from) % block == block - 1)
                {
                    energy.push_back(e);
                    e = 0;
                }
            }
            std::size_t steepest = 0;
            double rise = -1;
            for (std::size_t k = 4000 / block + 1; k < energy.size(); ++k)
                if (energy[k] - energy[k - 1] > rise)
                {
                    rise = energy[k] - energy[k - 1];
                    steepest = k;
                }
            long onset = long(from + steepest * block);
            EXPECT_LE(std::labs(onset - long(at)), 44100 / fps)
                << "kick heard at sample " << onset << ", frame shows " << at << " (" << order << ":" << row << ")";
            // Picture: the frame of that instant carries the flash: brighter
            // than the frame before it and than the frame after it.
            double flash = s_log[std::size_t(first)].brightness;
            EXPECT_GT(flash, s_log[std::size_t(first - 1)].brightness + 1.0)
                << "no flash seen at " << order << ":" << row;
            EXPECT_GT(flash, s_log[std::size_t(first + 1)].brightness) << "flash late at " << order << ":" << row;
            ++checked;
        }
    EXPECT_EQ(checked, 12);
}

// Pictures removed, truncated or of the wrong size: the show still plays to
// its end, with reports on stderr.
TEST(Capture_Show, BadPicturesStillPlayToTheEnd)
{
    if (!Has_Show_Data())
        GTEST_SKIP() << "no show data";
    std::string data = Temp_Dir("baddata");
    fs::copy(RYX_DATA_DIR, data, fs::copy_options::recursive);
    std::vector<fs::path> pictures;
    for (const auto& entry : fs::recursive_directory_iterator(data))
        if (entry.is_regular_file() && entry.path().extension() != ".xm")
            pictures.push_back(entry.path());
    std::sort(pictures.begin(), pictures.end());
    ASSERT_GE(pictures.size(), 40u);
    for (std::size_t i = 0; i < pictures.size(); ++i)
    {
        const fs::path& p = pictures[i];
        switch (i % 3)
        {
        case 0: fs::remove(p); break;
        case 1: fs::resize_file(p, fs::file_size(p) / 3); break;
        case 2:  // a picture of another's size and kind, from the untouched folder
        {
            fs::path other = fs::path(RYX_DATA_DIR) / fs::relative(pictures[(i + 7) % pictures.size()], data);
            fs::copy_file(other, p, fs::copy_options::overwrite_existing);
            break;
        }
        }
    }
    Run_Result r = Capture("--fps 10 --quiet --log '" + data + "/log.txt'", data);
    ASSERT_EQ(r.status, 0) << r.err;
    std::vector<Frame_Line> log = Read_Log(data + "/log.txt");
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back().order, 35);
    EXPECT_FALSE(r.err.empty());  // the missing and broken files were reported
    fs::remove_all(data);
}
