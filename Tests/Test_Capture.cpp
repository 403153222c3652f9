// The whole show through the capture tool, run as a process the way a user
// or a script runs it: command line, end to end, determinism, reference
// frames, picture-sound sync, and bad data.
#include <gtest/gtest.h>

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
#include <sstream>
#include <string>
#include <vector>

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
        std::string command = std::string(RYX_BIN_DIR) + "/capture --data '" + data + "' " + arguments +
                              " 2>'" + err_file + "' >/dev/null";
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
}

TEST(Capture_Command_Line, HelpBadOptionsAndUnwritableOutputs)
{
    Run_Result help = Capture("--help");
    EXPECT_EQ(help.status, 0);
    for (const char* bad : {"--fps 0 --out x.mp4", "--fps 241 --out x.mp4", "--out x.avi", "--at 1:2:3 --out a.png",
                            "--at 5 --out a.mp4", "--bogus", "--out", ""})
    {
        Run_Result r = Capture(bad);
        EXPECT_EQ(r.status, 2) << bad;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << bad << ": " << r.err;
    }
    if (!Has_Show_Data())
        GTEST_SKIP() << "no show data";
    Run_Result r = Capture("--quiet --out /proc/no/such/dir/show.mp4");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("cannot"), std::string::npos) << r.err;
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
        Run_Result r = Capture(std::string("--fps 30 --quiet --at 4:2 --out '") + dir + "/" + name +
                               ".png' --sound '" + dir + "/" + name + ".wav'");
        ASSERT_EQ(r.status, 0) << r.err;
    }
    std::string a = Read_File(dir + "/a.png"), b = Read_File(dir + "/b.png");
    EXPECT_GT(a.size(), 1000u);
    EXPECT_EQ(a, b);
    EXPECT_EQ(Read_File(dir + "/a.wav"), Read_File(dir + "/b.wav"));
    EXPECT_GT(Read_File(dir + "/a.wav").size(), 44u + 4u * 44100u * 20u);  // order 4 is past 20 s
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
            EXPECT_LE(std::labs(onset - long(at)), 44100 / fps) << "kick heard at sample " << onset << ", frame shows " << at
                                                                << " (" << order << ":" << row << ")";
            // Picture: the frame of that instant carries the flash: brighter
            // than the frame before it and than the frame after it.
            double flash = s_log[std::size_t(first)].brightness;
            EXPECT_GT(flash, s_log[std::size_t(first - 1)].brightness + 1.0) << "no flash seen at " << order << ":" << row;
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
        case 0:
            fs::remove(p);
            break;
        case 1:
            fs::resize_file(p, fs::file_size(p) / 3);
            break;
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
