// The live program as a person meets it, on a real X server without a window
// manager (Xvfb on a display of its own choosing), driven by xdotool through
// the keyboard focus as a person's keys would be: the warning box answered
// with Return, SIGTERM while it is up, a module that cannot play, the data
// folder found from the repository root, Alt+Enter, and closing the window.
// Skipped where Xvfb or xdotool is missing.
#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace
{
    bool Have(const char* program)
    {
        return std::system(("command -v " + std::string(program) + " >/dev/null 2>&1").c_str()) == 0;
    }

    // The leak settings of every program these tests start.
    constexpr const char* Live_Leak_Options = "suppressions=" RYX_SOURCE_DIR "/Tests/Support/Live_Leaks.supp";

    // Whether this build checks for leaks at exit: the address-sanitizer build.
#if defined(__SANITIZE_ADDRESS__)
    constexpr bool Leaks_Checked = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    constexpr bool Leaks_Checked = true;
#else
    constexpr bool Leaks_Checked = false;
#endif
#else
    constexpr bool Leaks_Checked = false;
#endif

    void Pause(int milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

    // Polls until the condition holds or the time is up.
    template <typename Condition>
    bool Eventually(Condition condition, double seconds)
    {
        Clock::time_point end = Clock::now() + std::chrono::milliseconds(int(seconds * 1000));
        for (;;)
        {
            if (condition())
                return true;
            if (Clock::now() >= end)
                return false;
            Pause(20);
        }
    }

    std::string Read_All(const fs::path& path)
    {
        std::ifstream file(path);
        return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }

    // A show's working files: its folder and its stderr.
    fs::path Scratch(const std::string& name)
    {
        const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
        fs::path dir = fs::path(RYX_BIN_DIR) / "Test_Files" / "Live" / info->name() / name;
        fs::remove_all(dir);
        fs::create_directories(dir);
        return dir;
    }

    // The show's pictures beside a module of the test's choosing.
    void Link_Pictures(const fs::path& folder)
    {
        for (const char* sub : {"texture", "tekstit"})
            fs::create_directory_symlink(fs::path(RYX_DATA_DIR) / sub, folder / sub);
    }

    class Live : public testing::Test
    {
    protected:
        void SetUp() override
        {
            if (!Have("Xvfb") || !Have("xdotool"))
                GTEST_SKIP() << "Xvfb and xdotool are needed (Tools/install-deps.sh installs them)";
            if (!fs::exists(fs::path(RYX_DATA_DIR) / "tekno.xm"))
                GTEST_SKIP() << "the show's data is not built (cmake --build build --target Data)";
            Start_X_Server();
        }

        void TearDown() override
        {
            if (m_demo > 0)
            {
                kill(-m_demo, SIGKILL);
                waitpid(m_demo, nullptr, 0);
            }
            if (m_server > 0)
            {
                kill(m_server, SIGTERM);
                waitpid(m_server, nullptr, 0);
            }
        }

        // Xvfb picks a free display and writes its number once it is ready.
        void Start_X_Server()
        {
            int ready[2];
            ASSERT_EQ(pipe(ready), 0);
            m_server = fork();
            if (m_server == 0)
            {
                prctl(PR_SET_PDEATHSIG, SIGTERM);  // never outlives a test that dies
                close(ready[0]);
                int quiet = open("/dev/null", O_WRONLY);
                dup2(quiet, STDOUT_FILENO);
                dup2(quiet, STDERR_FILENO);
                std::string fd = std::to_string(ready[1]);
                execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1600x1200x24", "-nolisten", "tcp",
                       static_cast<char*>(nullptr));
                _exit(127);
            }
            close(ready[1]);
            std::string number;
            pollfd wait_for{ready[0], POLLIN, 0};
            char c = 0;
            while (poll(&wait_for, 1, 20000) == 1 && read(ready[0], &c, 1) == 1 && c != '\n')
                number += c;
            close(ready[0]);
            ASSERT_FALSE(number.empty()) << "Xvfb did not start";
            m_display = ":" + number;
        }

        // demo in a process group of its own, in folder, on this X server,
        // silent (or with the arguments given); its stdout and stderr go to
        // one file.
        void Start_Demo(const fs::path& program, const fs::path& folder, const char* argument = "-n")
        {
            m_err = Scratch("log") / "demo.err";
            m_demo = fork();
            if (m_demo == 0)
            {
                prctl(PR_SET_PDEATHSIG, SIGKILL);
                setpgid(0, 0);
                if (chdir(folder.c_str()) != 0)
                    _exit(120);
                int err = open(m_err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
                dup2(err, STDERR_FILENO);
                dup2(err, STDOUT_FILENO);
                setenv("DISPLAY", m_display.c_str(), 1);
                unsetenv("SDL_VIDEODRIVER");  // the tests' headless driver; here the X server
                setenv("SDL_AUDIODRIVER", "dummy", 1);
                setenv("LSAN_OPTIONS", Live_Leak_Options, 1);
                execl(program.c_str(), program.c_str(), argument, static_cast<char*>(nullptr));
                _exit(121);
            }
            setpgid(m_demo, m_demo);
        }

        // The exit status, or -1 when demo still runs after the time.
        int Wait_Exit(double seconds)
        {
            int status = 0;
            if (!Eventually([&] { return waitpid(m_demo, &status, WNOHANG) == m_demo; }, seconds))
                return -1;
            m_demo = 0;
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }

        // xdotool's output on this display, without the last newline.
        std::string X(const std::string& arguments)
        {
            std::string out;
            if (std::FILE* pipe =
                    popen(("DISPLAY=" + m_display + " xdotool " + arguments + " 2>/dev/null").c_str(), "r"))
            {
                char buffer[256];
                while (std::fgets(buffer, sizeof buffer, pipe))
                    out += buffer;
                pclose(pipe);
            }
            return out.substr(0, out.find('\n'));
        }

        // The first visible window of exactly this name, or empty.
        std::string Wait_Window(const std::string& name, double seconds)
        {
            std::string found;
            Eventually([&] { return !(found = X("search --onlyvisible --name '^" + name + "$'")).empty(); }, seconds);
            return found;
        }

        // The show's window once the show has started: SDL may replace the
        // first window it makes while it picks a renderer.
        std::string Show_Window()
        {
            if (!Eventually([&] { return Err().find("demo: playing the show") != std::string::npos; }, 20))
                return std::string();
            return Wait_Window("Orvi", 5);
        }

        // The window's size once it is this one, else the last size seen.
        std::string Wait_Size(const std::string& window, const std::string& size)
        {
            std::string seen;
            Eventually(
                [&] {
                    seen = X("getwindowgeometry " + window + " | sed -n 's/ *Geometry: //p'");
                    return seen == size;
                },
                3);
            return seen;
        }

        // A window manager's close: WM_DELETE_WINDOW, which xdotool cannot send.
        void Request_Close(const std::string& window)
        {
            ::Display* x = XOpenDisplay(m_display.c_str());
            ASSERT_NE(x, nullptr);
            XSetErrorHandler([](::Display*, XErrorEvent*) { return 0; });  // a window gone is the test's failure
            XEvent event = {};
            event.xclient.type = ClientMessage;
            event.xclient.window = std::stoul(window);
            event.xclient.message_type = XInternAtom(x, "WM_PROTOCOLS", False);
            event.xclient.format = 32;
            event.xclient.data.l[0] = long(XInternAtom(x, "WM_DELETE_WINDOW", False));
            event.xclient.data.l[1] = CurrentTime;
            XSendEvent(x, event.xclient.window, False, NoEventMask, &event);
            XCloseDisplay(x);
        }

        std::string Err() const { return Read_All(m_err); }

        pid_t m_server = 0;
        pid_t m_demo = 0;
        std::string m_display;
        fs::path m_err;
    };
}

// The box takes the focus on a bare X server and Return answers it; then the
// show without its module ends by itself with 1 and says what to do. The
// module is missing everywhere: demo runs from a copy of the build's programs
// with no data folder beside it.
TEST_F(Live, TheBoxAnswersReturnAndAMissingModuleEndsTheShowWithOne)
{
    fs::path bin = Scratch("bin");
    for (const char* file : {"demo", "libLib.so", "libPlatform.so"})
    {
        std::error_code linked;
        fs::create_hard_link(fs::path(RYX_BIN_DIR) / file, bin / file, linked);
        if (linked)
            fs::copy_file(fs::path(RYX_BIN_DIR) / file, bin / file);
    }
    fs::path folder = Scratch("show");
    Link_Pictures(folder);
    Start_Demo(bin / "demo", folder);

    std::string box = Wait_Window("Error", 20);
    ASSERT_FALSE(box.empty()) << Err();
    EXPECT_EQ(X("getwindowfocus"), box) << "the box has the keyboard focus";
    Pause(300);
    EXPECT_EQ(Wait_Exit(0), -1) << "the box waits for an answer";
    Clock::time_point answered = Clock::now();
    X("key Return");
    int status = Wait_Exit(5);
    double seconds = std::chrono::duration<double>(Clock::now() - answered).count();
    EXPECT_EQ(status, 1) << Err();
    EXPECT_LT(seconds, 5.0);
    std::string err = Err();
    EXPECT_NE(err.find("cannot load \"tekno.xm\""), std::string::npos) << err;
    EXPECT_NE(err.find("assertion: BASS_MusicPlay(m_mod) | caption: Error"), std::string::npos) << err;
    EXPECT_NE(err.find("no show without its music"), std::string::npos) << err;
    EXPECT_EQ(err.find("using the data folder"), std::string::npos) << "none beside this copy: " << err;
}

// SIGTERM while a box is up ends demo at once with 143, and nothing
// of it stays behind: no process of its group, no box on the screen.
TEST_F(Live, SigtermWhileTheBoxIsUpEndsAtOnceAndLeavesNothing)
{
    fs::path folder = Scratch("show");
    Link_Pictures(folder);
    std::ofstream(folder / "tekno.xm") << "not a module at all";
    Start_Demo(fs::path(RYX_BIN_DIR) / "demo", folder);
    pid_t group = m_demo;

    ASSERT_FALSE(Wait_Window("Error", 20).empty()) << Err();
    Clock::time_point sent = Clock::now();
    kill(m_demo, SIGTERM);
    int status = Wait_Exit(5);
    double seconds = std::chrono::duration<double>(Clock::now() - sent).count();
    EXPECT_EQ(status, 143) << Err();
    // A box that ignored the signal would wait for ever; the bound leaves
    // room for a loaded machine and the sanitizer's exit-time leak check.
    EXPECT_LT(seconds, 5.0);
    Pause(100);
    EXPECT_NE(kill(-group, 0), 0) << "a process of demo's group outlived it";
    EXPECT_EQ(X("search --onlyvisible --name '^Error$'"), "") << "the box outlived demo";
}

// build/bin/demo run from the repository root finds build/data, says so and
// plays; Alt+Enter gives a window of twice the frame size and back to full
// screen; closing the window (a window manager's close request) ends the
// show as Escape does, with 0.
TEST_F(Live, FromTheRepositoryRootItPlaysAltEnterGivesAWindowAndBackAndCloseEndsIt)
{
    Start_Demo(fs::path(RYX_BIN_DIR) / "demo", fs::path(RYX_SOURCE_DIR));
    std::string window = Show_Window();
    ASSERT_FALSE(window.empty()) << Err();
    EXPECT_EQ(Wait_Size(window, "1600x1200"), "1600x1200") << "full screen";
    Pause(1500);
    ASSERT_EQ(Wait_Exit(0), -1) << Err();
    std::string err = Err();
    EXPECT_NE(err.find("using the data folder " + fs::path(RYX_DATA_DIR).lexically_normal().string()),
              std::string::npos)
        << err;
    EXPECT_EQ(err.find("cannot open"), std::string::npos) << err;
    EXPECT_EQ(err.find("assertion:"), std::string::npos) << err;

    X("key alt+Return");
    EXPECT_EQ(Wait_Size(window, "1280x960"), "1280x960") << "a window of twice 640 x 480";
    X("key alt+Return");
    EXPECT_EQ(Wait_Size(window, "1600x1200"), "1600x1200") << "and back to full screen";
    EXPECT_EQ(Wait_Exit(0), -1) << "the show plays on";

    Request_Close(window);
    EXPECT_EQ(Wait_Exit(5), 0) << Err();
    EXPECT_NE(Err().find("demo: the window was closed; exit status 0"), std::string::npos) << Err();
}

// The leak check of the sanitizer build sees through the display's drivers
// but not past our own code: started as demo starts it (its window, the
// renderer, the software-GL probe that loads and drops the GL driver), a
// program that then drops 128 bytes of its own fails with the report naming
// the function that leaked.
TEST_F(Live, TheLeakCheckStillCatchesOurOwnLeakAfterTheDisplaysProbe)
{
    if (!Leaks_Checked)
        GTEST_SKIP() << "leaks are checked in the address-sanitizer build";
    Start_Demo(fs::path(RYX_BIN_DIR) / "leak_probe", fs::path(RYX_BIN_DIR), "display");
    int status = Wait_Exit(30);
    std::string err = Err();
    EXPECT_NE(status, 0) << err;
    EXPECT_NE(status, -1) << err;
    EXPECT_NE(err.find("Direct leak of 128 byte(s) in 1 object(s)"), std::string::npos) << err;
    EXPECT_NE(err.find("Drop_128_Bytes_Of_Ours"), std::string::npos) << err;
    EXPECT_EQ(err.find("unknown module"), std::string::npos) << err;
}

// What a library loaded and dropped at run time keeps in its globals is no
// leak of ours, whatever its size: a plug-in of the test's own stands for the
// GL driver, so that this holds whatever version of it a machine has.
TEST(Leak_Check, ALibraryDroppedAtRunTimeIsNotReportedWhateverItKeeps)
{
    if (!Leaks_Checked)
        GTEST_SKIP() << "leaks are checked in the address-sanitizer build";
    for (const char* bytes : {"128", "40", "1048576"})
    {
        fs::path log = fs::path(RYX_BIN_DIR) / "Test_Files" / "Live" / (std::string("plugin-") + bytes + ".err");
        fs::create_directories(log.parent_path());
        std::string command = std::string("LSAN_OPTIONS='") + Live_Leak_Options +
            "' '" RYX_BIN_DIR "/leak_probe' plugin " + bytes + " 2>'" + log.string() + "'";
        int status = std::system(command.c_str());
        std::string err = Read_All(log);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << bytes << " bytes: " << err;
        EXPECT_EQ(err.find("LeakSanitizer"), std::string::npos) << bytes << " bytes: " << err;
    }
}
