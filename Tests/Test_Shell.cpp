// The entry, the main window and the message pump: one message a frame, the
// quit message and the signals as exit codes, WM_DESTROY ending nothing and a
// close ending the show, the calm and nosound rules, the data folder's place,
// and the real program run as a process (headless; under X in Test_Live).
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include "Code/Main_Window.h"
#include "Code/Music.h"
#include "Code/Timer.h"
#include "Code/Windows_Callback.h"
#include "Platform/Bass.h"
#include "Platform/Data_Folder.h"
#include "Platform/Display.h"
#include "Platform/Keyboard.h"
#include "Platform/Test/Audio_Hooks.h"
#include "Platform/Test/Input_Hooks.h"
#include "Platform/Video.h"
#include "Tools/Xm_Writer/Xm_Writer.h"
#include "Flash_Warning.h"
#include "Orvi_Version.h"

using namespace Ryx_Platform;

namespace
{
    int s_user_messages = 0;
    int s_destroys = 0;

    LRESULT Counting_Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
    {
        if (message == WM_USER)
            ++s_user_messages;
        if (message == WM_DESTROY)
            ++s_destroys;
        return Window_Proc(window, message, wparam, lparam);
    }

    HWND Counting_Window()
    {
        WNDCLASSA record;
        record.lpfnWndProc = &Counting_Proc;
        record.lpszClassName = "Counting";
        RegisterClassA(&record);
        return CreateWindowExA(0, "Counting", "Orvi", WS_POPUP | WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT, 640, 480,
                               nullptr, nullptr, nullptr, nullptr);
    }

    // The code a pump throws, or -1 when it throws nothing.
    int Quit_Code(Windows_Callback& pump)
    {
        try
        {
            pump.Execute();
        }
        catch (Windows_Msg& quit)
        {
            return quit.m_code;
        }
        return -1;
    }

    struct Clean_Queue
    {
        Clean_Queue() { Reset_Message_Queue(); }
        ~Clean_Queue() { Reset_Message_Queue(); }
    };

    // The music as if playing at order 0, for a show without a module.
    struct Playing_Music
    {
        Playing_Music() { Audio_Script_Position(0); }
        ~Playing_Music() { Audio_Script_Position(-1); }
    };
}

TEST(Nosound, OnForADashFollowedByAnything)
{
    EXPECT_TRUE(Is_Nosound("-n"));
    EXPECT_TRUE(Is_Nosound("-x"));
    EXPECT_TRUE(Is_Nosound("--anything"));
    EXPECT_TRUE(Is_Nosound("- "));
    EXPECT_FALSE(Is_Nosound(""));
    EXPECT_FALSE(Is_Nosound("-"));
    EXPECT_FALSE(Is_Nosound("x-y"));
    EXPECT_FALSE(Is_Nosound(" -n"));
    EXPECT_FALSE(Is_Nosound(nullptr));
}

// --calm comes out before the nosound rule looks, so that asking for calm
// never costs the sound; whatever else is left decides as before.
TEST(Nosound, CalmIsTakenOutFirstAndKeepsTheSound)
{
    struct Case
    {
        const char* line;
        bool calm;
        const char* rest;
        bool nosound;
    };
    for (const Case& c :
         {Case{"--calm", true, "", false}, Case{"-n --calm", true, "-n", true}, Case{"--calm -n", true, "-n", true},
          Case{"--calm --calm", true, "", false}, Case{"x --calm y", true, "x y", false},
          Case{"--calmer", false, "--calmer", true}, Case{"-calm", false, "-calm", true}, Case{"", false, "", false}})
    {
        std::string line = c.line;
        EXPECT_EQ(Take_Calm(line), c.calm) << c.line;
        EXPECT_EQ(line, c.rest) << c.line;
        EXPECT_EQ(Is_Nosound(line.c_str()), c.nosound) << c.line;
    }
}

TEST(Pump, TakesOneMessageAFrame)
{
    Clean_Queue queue;
    HWND window = Counting_Window();
    ASSERT_NE(window, nullptr);
    for (int i = 0; i < 10; ++i)
        PostMessageA(window, WM_USER, i, 0);
    Windows_Callback pump;
    for (int frame = 1; frame <= 10; ++frame)
    {
        EXPECT_EQ(Quit_Code(pump), -1);
        EXPECT_EQ(s_user_messages, frame);
    }
    EXPECT_EQ(Quit_Code(pump), -1);
    EXPECT_EQ(s_user_messages, 10);
}

TEST(Pump, QuitMessageThrowsItsCode)
{
    Clean_Queue queue;
    Windows_Callback pump;
    EXPECT_EQ(Quit_Code(pump), -1) << "an empty queue returns at once";
    PostQuitMessage(7);
    EXPECT_EQ(Quit_Code(pump), 7);
    EXPECT_EQ(Quit_Code(pump), -1) << "taken once";
    PostQuitMessage(-5);
    EXPECT_EQ(Quit_Code(pump), -5) << "all 32 bits of the code";
}

TEST(Pump, SignalsPostQuitWith128PlusTheSignal)
{
    Clean_Queue queue;
    Post_Quit_On_Signals();
    Windows_Callback pump;
    std::raise(SIGTERM);
    EXPECT_EQ(Quit_Code(pump), 128 + SIGTERM);
    std::raise(SIGINT);
    EXPECT_EQ(Quit_Code(pump), 128 + SIGINT);
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
}

TEST(Pump, DestroyEndsNothingAndCloseQuitsWithZero)
{
    Clean_Queue queue;
    HWND window = Counting_Window();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(Window_Proc(window, WM_DESTROY, 0, 0), 0);
    Windows_Callback pump;
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(Quit_Code(pump), -1) << "no quit follows a destroy";
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(Quit_Code(pump), -1) << "the close is dispatched";
    EXPECT_EQ(Quit_Code(pump), 0) << "and the show ends with 0 on the next frame";
    EXPECT_EQ(s_destroys, 0) << "nothing destroys the window";
}

TEST(Keyboard, EscapePressedAndReleasedBetweenPollsIsSeenOnce)
{
    Clean_Queue queue;
    HWND window = Counting_Window();  // starts the video
    ASSERT_NE(window, nullptr);
    GetAsyncKeyState(VK_ESCAPE);
    Inject_Key_Event(VK_ESCAPE, true);
    Inject_Key_Event(VK_ESCAPE, false);
    EXPECT_NE(GetAsyncKeyState(VK_ESCAPE), 0);
    EXPECT_EQ(GetAsyncKeyState(VK_ESCAPE), 0);
    // The key events are also messages, taken one a frame.
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    while (msg.message != WM_KEYDOWN && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
    {}
    EXPECT_EQ(msg.message, WM_KEYDOWN);
    EXPECT_EQ(msg.wParam, static_cast<WPARAM>(VK_ESCAPE));
}

TEST(Entry, QuitMessageBecomesTheExitCodeAfterEverythingIsFreed)
{
    Clean_Queue queue;
    Playing_Music music;
    PostQuitMessage(7);
    EXPECT_EQ(WinMain(nullptr, nullptr, "-n", 0), 7);
    EXPECT_EQ(Ryx_Vektu::Get_Music(), nullptr);
    EXPECT_EQ(Ryx_Vektu::Get_Timer(), nullptr);
}

TEST(Entry, EscapeEndsTheShowWithZeroAndAModuleThatCannotPlayWithOne)
{
    Clean_Queue queue;
    {
        Playing_Music music;
        Keyboard_Press(VK_ESCAPE);
        EXPECT_EQ(WinMain(nullptr, nullptr, "-n", 0), 0);
        EXPECT_EQ(Ryx_Vektu::Get_Music(), nullptr);
    }
    // No module here: the show ends by itself at once, with a line on what to do.
    testing::internal::CaptureStderr();
    EXPECT_EQ(WinMain(nullptr, nullptr, "-n", 0), 1);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("tekno.xm"), std::string::npos) << err;
    EXPECT_NE(err.find("run demo from the data folder"), std::string::npos) << err;
    EXPECT_NE(err.find("exit status 1"), std::string::npos) << err;
}

namespace
{
    // Runs demo headless in an empty folder, sends it a signal after a while,
    // and gives its exit status (or -1 when it did not exit on its own).
    int Run_Demo_And_Signal(int signal_number)
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "demo-run-XXXXXX").string();
        std::vector<char> folder(pattern.begin(), pattern.end());
        folder.push_back('\0');
        if (!mkdtemp(folder.data()))
            return -2;
        pid_t child = fork();
        if (child == 0)
        {
            if (chdir(folder.data()) != 0)
                _exit(120);
            setenv("SDL_VIDEODRIVER", "dummy", 1);
            setenv("SDL_AUDIODRIVER", "dummy", 1);
            std::string demo = std::string(RYX_BIN_DIR) + "/demo";
            execl(demo.c_str(), demo.c_str(), "-n", static_cast<char*>(nullptr));
            _exit(121);
        }
        usleep(700 * 1000);
        kill(child, signal_number);
        int status = 0;
        for (int i = 0; i < 500; ++i)
        {
            if (waitpid(child, &status, WNOHANG) == child)
            {
                rmdir(folder.data());
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            usleep(10 * 1000);
        }
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
        rmdir(folder.data());
        return -1;
    }
}

TEST(Demo_Process, SigtermAndCtrlCEndTheShowWithTheShellsCodes)
{
    EXPECT_EQ(Run_Demo_And_Signal(SIGTERM), 128 + SIGTERM);
    EXPECT_EQ(Run_Demo_And_Signal(SIGINT), 128 + SIGINT);
}

// The whole program, headless, on a short module of our own: it plays to the
// music's end and exits 0 by itself, silent with -n, and calm with --calm,
// which does not count as the dash that asks for silence (SDL's dummy audio
// driver is no sound device, which the start line says apart from -n).
TEST(Demo_Process, PlaysAShortModuleToItsEndAndExitsZero)
{
    std::filesystem::path folder = std::filesystem::temp_directory_path() / ("demo-short-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    Ryx_Tools::Xm_Module module;
    module.channels = 1;
    module.speed = 1;
    module.tempo = 255;  // 432 frames a row: three orders in under two seconds
    module.patterns.emplace_back(64, 1);
    module.orders = {0, 0, 0};
    ASSERT_TRUE(Ryx_Tools::Save_Xm(module, (folder / "tekno.xm").string()));

    for (const char* options : {"-n", "--calm"})
    {
        const std::string log = (folder / "err.txt").string();
        std::string command = "cd '" + folder.string() +
            "' && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy timeout 30 '" + std::string(RYX_BIN_DIR) + "/demo' " +
            options + " >/dev/null 2>'" + log + "'";
        int status = std::system(command.c_str());
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0) << options;  // 124 would mean it never ended
        std::ifstream in(log);
        std::string start;
        while (std::getline(in, start) && start.rfind("demo: playing", 0) != 0)
        {}
        const bool calm = std::string(options) == "--calm";
        EXPECT_EQ(start.find("silently (-n)") != std::string::npos, !calm) << start;
        EXPECT_EQ(start.find("calm (--calm") != std::string::npos, calm) << start;
    }
    std::filesystem::remove_all(folder);
}

namespace
{
    struct Process_Result
    {
        int status = -1;  // the exit status; 124 when timeout ended it
        std::string out, err;
    };

    std::string Read_All(const std::filesystem::path& path)
    {
        std::ifstream file(path);
        return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }

    // Runs a command in a folder with a time limit, capturing both streams.
    Process_Result Run_Shell(const std::string& command, const std::string& folder = ".")
    {
        std::filesystem::path base = std::filesystem::temp_directory_path() / ("demo-out-" + std::to_string(getpid()));
        std::string full = "cd '" + folder + "' && timeout 30 " + command + " >'" + base.string() + ".out' 2>'" +
            base.string() + ".err'";
        int status = std::system(full.c_str());
        Process_Result result;
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        result.out = Read_All(base.string() + ".out");
        result.err = Read_All(base.string() + ".err");
        std::filesystem::remove(base.string() + ".out");
        std::filesystem::remove(base.string() + ".err");
        return result;
    }

    int Lines_Starting(const std::string& text, const std::string& prefix)
    {
        std::istringstream lines(text);
        int n = 0;
        for (std::string line; std::getline(lines, line);)
            n += line.rfind(prefix, 0) == 0;
        return n;
    }
}

// What a person tries first: --help and --version answer and exit 0 without
// starting the show; without a display demo says so in one line and exits 1;
// a FIFO named tekno.xm is one line and no hang.
TEST(Demo_Process, HelpVersionNoDisplayAndAFifoModuleAnswerAtOnce)
{
    const std::string demo = "'" + std::string(RYX_BIN_DIR) + "/demo'";
    Process_Result version = Run_Shell(demo + " --version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "demo (Orvi) " ORVI_VERSION "\n");
    Process_Result help = Run_Shell(demo + " --help");
    EXPECT_EQ(help.status, 0);
    for (const char* part : {"Usage: demo", "--calm", ORVI_FLASH_WARNING_LINES, "--version", "Alt+Enter",
                             "share/orvi/data", "Exit status", "143"})
        EXPECT_NE(help.out.find(part), std::string::npos) << part;

    Process_Result blind = Run_Shell("env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER " + demo);
    EXPECT_EQ(blind.status, 1);
    EXPECT_EQ(Lines_Starting(blind.err, "demo: "), 1) << blind.err;
    EXPECT_NE(blind.err.find("demo: no display"), std::string::npos) << blind.err;
    EXPECT_NE(blind.err.find("Tools/play.sh"), std::string::npos) << blind.err;

    std::filesystem::path folder = std::filesystem::temp_directory_path() / ("demo-fifo-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    std::filesystem::remove(folder / "tekno.xm");
    ASSERT_EQ(mkfifo((folder / "tekno.xm").c_str(), 0600), 0);
    Process_Result fifo = Run_Shell("env SDL_VIDEODRIVER=dummy " + demo + " -n", folder.string());
    EXPECT_EQ(fifo.status, 1) << "the show ends: its music cannot play";
    EXPECT_NE(fifo.err.find("audio: cannot load \"tekno.xm\": not a regular file\n"), std::string::npos) << fifo.err;
    EXPECT_NE(fifo.err.find("run demo from the data folder"), std::string::npos) << fifo.err;
    std::filesystem::remove_all(folder);
}

// The data folder beside the program: its own folder first, then the build
// tree, then the two installed layouts; a folder counts only with tekno.xm in it.
TEST(Data_Folder, FoundBesideTheProgramInTheBuildThenTheInstalledLayouts)
{
    namespace fs = std::filesystem;
    const fs::path root = fs::weakly_canonical(fs::temp_directory_path() / ("demo-tree-" + std::to_string(getpid())));
    fs::remove_all(root);
    auto holds_module = [](const fs::path& folder) {
        fs::create_directories(folder);
        std::ofstream(folder / "tekno.xm") << "x";
    };
    const std::string built = (root / "bin" / "demo").string();
    const std::string installed = (root / "libexec" / "orvi" / "demo").string();
    EXPECT_EQ(Find_Data_Folder(built), "");
    fs::create_directories(root / "data");
    EXPECT_EQ(Find_Data_Folder(built), "") << "a folder without the module does not count";

    holds_module(root / "share" / "orvi" / "data");
    EXPECT_EQ(Find_Data_Folder(built), (root / "share" / "orvi" / "data").string());
    EXPECT_EQ(Find_Data_Folder(installed), (root / "share" / "orvi" / "data").string());
    holds_module(root / "data");
    EXPECT_EQ(Find_Data_Folder(built), (root / "data").string()) << "the build tree comes first";
    holds_module(root / "bin");
    EXPECT_EQ(Find_Data_Folder(built), (root / "bin").string()) << "files beside the program come first";
    EXPECT_EQ(Find_Data_Folder(""), "");
    fs::remove_all(root);
}

namespace
{
    void Ignore_Frame(const std::uint32_t*, int, int, void*) {}
}

TEST(Entry, OfflineRunOpensNoWindowAndNoVideo)
{
    bool before = Video_Started();
    Set_Frame_Sink(&Ignore_Frame, nullptr);
    Create_Main_Window(nullptr);
    EXPECT_EQ(s_hwnd, nullptr);
    Playing_Music music;
    Keyboard_Press(VK_ESCAPE);
    EXPECT_EQ(WinMain(nullptr, nullptr, "", 0), 0);
    if (!before)
    {
        EXPECT_FALSE(Video_Started());
    }
    Set_Frame_Sink(nullptr, nullptr);
}
