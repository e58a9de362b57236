// zek-cli against zek-sim on a pseudo-terminal: each command's frames, files, exit status
// and JSON, and bad input that must send nothing.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>

#include "sim/engine.h"
#include "support/sim_process.h"
#include "support/test_env.h"

namespace {

using std::string;

class CliLinkTest : public zektest::LinkTest {
protected:
    // Runs zek-cli in the working directory (8 channels, English, port 1 by default);
    // its standard output into *out.
    int Cli(const string &args, string *out = nullptr)
    {
        const string command = string(ZEK_CLI_PATH) + " --lang en " + args + " 2>cli.err";
        FILE *pipe = popen(command.c_str(), "r");
        if (!pipe) return -1;
        string text;
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, pipe)) text += buffer;
        const int status = pclose(pipe);
        if (out) *out = text;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    // The characters the link log shows as sent, in order.
    string Sent(const string &log)
    {
        string sent, line;
        for (char c : zektest::ReadFile(log) + "\n") {
            if (c != '\n') {
                line += c;
                continue;
            }
            const size_t at = line.find(" -> ");
            if (at != string::npos) sent += line.substr(at + 4, line.find("  ", at + 4) - at - 4);
            line.clear();
        }
        return sent;
    }
    void StartSim(const std::vector<string> &extra = {})
    {
        std::vector<string> options = {"--channels", "8", "--no-pacing"};
        options.insert(options.end(), extra.begin(), extra.end());
        ASSERT_TRUE(sim.StartLinked(dir, options));
    }
};

// A strain-gauge range: the mode byte without D, then the range offset (1024) and gain
// (512) words of the channel's bank-0 block at 16 + 8 + 8 * 1 = 32, closed by D.
TEST_F(CliLinkTest, SetUploadDownloadAndShuntSendTheWindowsFrames)
{
    StartSim();
    EXPECT_EQ(Cli("--port 1 --channels 8 --log set.log set 2 4mV/V"), 0);
    EXPECT_EQ(Sent("set.log"), "001130W<CR>002200W<CR>002304W<CR>002400W<CR>002502W<CR>D<CR>");

    EXPECT_EQ(Cli("--channels 8 upload up.cfg"), 0);
    const string text = zektest::ReadFile("up.cfg");
    ASSERT_EQ(text.size(), 800u);
    EXPECT_EQ(text.substr(34, 2), "30") << "channel 2's mode byte as set";
    EXPECT_EQ(text.substr(68, 8), "00040002") << "its range words";

    // Thermocouple channels keep the download short: one mode byte each.
    int image[512] = {};
    for (int ch = 0; ch < 8; ch++) image[16 + ch] = 0xC9;
    zektest::WriteFile("tc.cfg", zektest::ConfigTextOf(image));
    string out;
    EXPECT_EQ(Cli("--channels 8 --json --log down.log download tc.cfg --verify", &out), 0);
    EXPECT_EQ(Sent("down.log").substr(0, 17), "0010C9W<CR>D<CR>0") << "as the menu's download";
    const nlohmann::json result = nlohmann::json::parse(out);
    EXPECT_EQ(result["command"], "download");
    EXPECT_EQ(result["status"], 0);
    EXPECT_EQ(result["verified"], 8) << "every mode byte written";
    EXPECT_TRUE(result["differences"].empty());

    EXPECT_EQ(Cli("--channels 8 --log shunt.log shunt on"), 0);
    EXPECT_EQ(Sent("shunt.log"), "C<CR>");
    EXPECT_FALSE(zektest::FileExists("temp.ctc")) << "only named files are written";
}

// compare lists a difference and sends nothing; send-changes sends only the changed
// channel's group, after which compare finds none.
TEST_F(CliLinkTest, CompareAndSendChanges)
{
    StartSim();
    ASSERT_EQ(Cli("--channels 8 upload now.cfg"), 0);
    string text = zektest::ReadFile("now.cfg");
    text.replace(2 * 20, 2, "c9");  // channel 5 as thermocouple type 1
    zektest::WriteFile("want.cfg", text);
    string out;
    EXPECT_EQ(Cli("--channels 8 --log cmp.log --json compare want.cfg", &out), 4);
    EXPECT_EQ(nlohmann::json::parse(out)["differences"].size(), 1u) << out;
    EXPECT_EQ(Sent("cmp.log"), "R<CR>");
    EXPECT_EQ(Cli("--channels 8 --log send.log send-changes want.cfg"), 0);
    EXPECT_EQ(Sent("send.log"), "R<CR>0014C9W<CR>D<CR>R<CR>");
    EXPECT_EQ(Cli("--channels 8 compare want.cfg", &out), 0);
    EXPECT_EQ(out, "");
}

TEST_F(CliLinkTest, BadInputGetsItsStatusAndSendsNothing)
{
    StartSim();
    zektest::WriteFile("bad.cfg", "not a configuration");
    EXPECT_EQ(Cli("frobnicate"), 2);
    EXPECT_EQ(Cli("--channels 8 --log a.log set 9 4mV/V"), 2);
    EXPECT_EQ(Cli("--channels 8 --log b.log set 2 5mV/V"), 2);
    EXPECT_EQ(Cli("--channels 8 --log c.log set 2 TC1 --half-bridge"), 2);
    EXPECT_EQ(Cli("--channels 8 --log d.log download bad.cfg"), 3);
    EXPECT_EQ(Cli("--channels 8 download missing.cfg"), 3);
    for (const char *log : {"a.log", "b.log", "c.log", "d.log"}) EXPECT_EQ(Sent(log), "") << log;
    EXPECT_EQ(Cli("--port 9 upload x.cfg"), 1);
    EXPECT_NE(zektest::ReadFile("cli.err").find("COM9"), string::npos);
}

TEST_F(CliLinkTest, RefusedFrameIsALinkFailure)
{
    StartSim({"--fault", "error"});
    EXPECT_EQ(Cli("--channels 8 set 1 TC2"), 1);
    EXPECT_NE(zektest::ReadFile("cli.err").find("COM ERROR"), string::npos);
}

// Every run, against a device that answers badly or a command line that cannot be carried
// out: its exit status, exactly one JSON object on stdout that agrees with it, a reason on
// stderr, and for bad usage not even the link log opened.
TEST_F(CliLinkTest, EveryRunEndsWithItsStatusAndOneResult)
{
    int image[512] = {};
    for (int ch = 0; ch < 8; ch++) image[16 + ch] = 0xC9;
    zektest::WriteFile("tc.cfg", zektest::ConfigTextOf(image));
    ASSERT_EQ(symlink("/dev/null/\xF6", "COM7"), 0) << "a link whose target is not UTF-8";
    zektest::WriteFile("bad.cfg", "not a configuration");
    struct Case {
        const char *fault, *args;
        int status;
        const char *says;  // on stderr
    } const cases[] = {
        {"", "set 2 4mV/V", 0, ""},
        {"garbage", "set 3 4mV/V", 1, "neither OK nor ERROR"},
        {"garbage@2", "zero 1", 1, "neither OK nor ERROR"},  // after the memory read
        {"garbage", "shunt on", 1, "neither OK nor ERROR"},
        {"garbage@2", "download tc.cfg", 1, "neither OK nor ERROR"},  // the D's reply
        {"", "ports", 0, ""},
        {"", "--port 00012 upload u.cfg", 1, "COM12"},
        {"", "--port 256 upload u.cfg", 2, "--port 256"},
        {"", "--port 1x upload u.cfg", 2, "--port 1x"},
        {"", "--port '' upload u.cfg", 2, "--port "},
        {"", "--port 9 set 9 4mV/V", 2, "channel 9"},
        {"", "--port 9 zero 0", 2, "channel 0"},
        {"", "--port 9 upload u.cfg", 1, "COM9"},
        {"", "frobnicate", 2, ""},
        {"", "sheet s.pdf", 0, ""},
        {"garbage", "sheet s.pdf", 1, ""},
        {"", "--port 9 sheet s.pdf --from tc.cfg", 0, ""},  // no port opened
        {"", "--port 9 sheet s.pdf --from bad.cfg", 3, "bad.cfg"},
        {"", "--port 9 sheet missing/s.pdf --from tc.cfg", 3, "missing/s.pdf"},
        {"", "--port 9 sheet 'a|b.pdf'", 2, "a|b.pdf"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(string(c.fault) + " " + c.args);
        sim.Stop();
        StartSim(*c.fault ? std::vector<string>{"--fault", c.fault} : std::vector<string>{});
        std::remove("run.log");
        string out;
        EXPECT_EQ(Cli(string("--channels 8 --json --log run.log ") + c.args, &out), c.status);
        const nlohmann::json result = nlohmann::json::parse(out, nullptr, false);
        if (!result.is_object()) {
            ADD_FAILURE() << "not one JSON object: " << out;
            continue;
        }
        EXPECT_EQ(result["status"], c.status);
        EXPECT_EQ(result["ok"], c.status == 0);
        EXPECT_NE(zektest::ReadFile("cli.err").find(c.says), string::npos);
        if (c.status == 2) {
            EXPECT_FALSE(zektest::FileExists("run.log")) << "nothing opened";
        }
        if (string(c.args).find("sheet ") != string::npos) {  // written whole or not at all
            EXPECT_EQ(zektest::ReadFile("s.pdf").rfind("%PDF-", 0) == 0, c.status == 0);
            EXPECT_EQ(result.value("sheet", ""), c.status == 0 ? "s.pdf" : "");
            std::remove("s.pdf");
        }
    }
}

}  // namespace
