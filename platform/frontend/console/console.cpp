// Console front end: popups as lines on stderr.
#include "platform/frontend/console/console.h"

#include <unistd.h>

#include <cstdio>
#include <string>

#include "platform/frontend.h"
#include "platform/progress.h"

namespace platform {
namespace {

// Line breaks inside a text become spaces, so that every message is one line.
std::string OneLine(const std::string &text)
{
    std::string line;
    for (char c : text) {
        if (c == '\r') continue;
        line += c == '\n' ? ' ' : c;
    }
    return line;
}

class ConsoleFrontEnd : public FrontEnd {
public:
    void PanelChanged(int, int) override {}
    void PanelDiscarded(int) override {}
    void MenuBarChanged(int) override {}
    void WaitCursorChanged(bool) override {}
    void Repaint() override {}

    void Message(const std::string &title, const std::string &text) override
    {
        const std::string line = title.empty() ? OneLine(text) : title + ": " + OneLine(text);
        std::fprintf(stderr, "%s\n", line.c_str());
        messages++;
    }
    int Confirm(const std::string &title, const std::string &text, bool) override
    {
        Message(title, text);
        return 0;
    }
    std::optional<std::string> Prompt(const std::string &, const std::string &, int, bool) override
    {
        return std::nullopt;
    }
    int FileSelect(const std::string &, const std::string &, const std::string &, bool,
                   std::string *) override
    {
        return 0;
    }
    void Run() override {}

    // The progress line, rewritten in place, only where stderr is a terminal.
    void ProgressChanged() override
    {
        if (!isatty(2)) return;
        if (CurrentProgress().active)
            std::fprintf(stderr, "\r%-78.78s", ProgressLine().c_str());
        else
            std::fprintf(stderr, "\r%78s\r", "");
    }

    int messages = 0;
};

ConsoleFrontEnd &Console()
{
    static ConsoleFrontEnd console;
    return console;
}

}  // namespace

void InstallConsoleFrontEnd() { InstallFrontEnd(&Console()); }
int ConsoleMessageCount() { return Console().messages; }

}  // namespace platform
