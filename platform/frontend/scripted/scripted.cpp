// The scripted front end: headless, driven by tests.
#include "platform/frontend/scripted/scripted.h"

#include <deque>

#include "platform/clock.h"
#include "platform/frontend.h"
#include "platform/progress.h"
#include "platform/userint.h"

namespace platform {
namespace scripted {
namespace {

struct State {
    std::deque<int> confirms;
    std::deque<std::optional<std::string>> prompts;
    std::deque<std::pair<int, std::string>> files;
    std::deque<std::function<void()>> steps;
    std::function<void(const PopupRecord &)> messageHook;
    std::function<void()> repaintHook;
    std::function<void(const ProgressRecord &)> progressHook;
    std::vector<ProgressRecord> progress;
    std::vector<PopupRecord> popups;
    std::vector<ReportRecord> reports;
    std::vector<std::pair<double, bool>> waitCursor;
    std::vector<LogWindowRecord> logWindows;
    int repaints = 0;
};

State &S()
{
    static State state;
    return state;
}

class Scripted : public FrontEnd {
public:
    void PanelChanged(int, int) override {}
    void PanelDiscarded(int) override {}
    void MenuBarChanged(int) override {}
    void WaitCursorChanged(bool on) override { S().waitCursor.emplace_back(ClockNow(), on); }
    void Repaint() override
    {
        S().repaints++;
        if (S().repaintHook) S().repaintHook();
    }

    void ProgressChanged() override
    {
        const ProgressState &p = CurrentProgress();
        S().progress.push_back(
            {ClockNow(), p.active, ProgressLine(), ProgressFraction(), p.secondsLeft, p.status,
             PortStatus()});
        if (S().progressHook) S().progressHook(S().progress.back());
    }

    void ShowLog(const std::string &title, const std::string &path) override
    {
        S().logWindows.push_back({title, path});
    }

    void Message(const std::string &title, const std::string &text) override
    {
        Record(PopupRecord::Message, title, text, 0);
        if (S().messageHook) S().messageHook(S().popups.back());
    }

    int Confirm(const std::string &title, const std::string &text, bool defaultYes) override
    {
        int answer = Take(S().confirms, 0);
        Record(PopupRecord::Confirm, title, text, answer);
        S().popups.back().defaultYes = defaultYes;
        return answer;
    }

    std::optional<std::string> Prompt(const std::string &title, const std::string &text,
                                      int maxLength, bool masked) override
    {
        std::optional<std::string> answer = Take(S().prompts, std::optional<std::string>());
        if (answer && static_cast<int>(answer->size()) > maxLength)
            answer->resize(static_cast<size_t>(maxLength));
        Record(PopupRecord::Prompt, title, text, masked ? 1 : 0);
        return answer;
    }

    int FileSelect(const std::string &, const std::string &fileSpec, const std::string &title,
                   bool saveButton, std::string *path) override
    {
        auto answer = Take(S().files, std::pair<int, std::string>(0, ""));
        Record(PopupRecord::FileSelect, title, "", answer.first);
        S().popups.back().fileSpec = fileSpec;
        S().popups.back().saveButton = saveButton;
        *path = answer.second;
        return answer.first;
    }

    void ShowReport(const ReportContent &report, int filterColumn,
                    const std::string &allLabel) override
    {
        S().reports.push_back({report, filterColumn, allLabel});
    }

    void Run() override
    {
        while (!QuitRequested()) {
            if (S().steps.empty()) {
                QuitUserInterface(0);
                break;
            }
            auto step = std::move(S().steps.front());
            S().steps.pop_front();
            step();
        }
    }

private:
    template <typename T>
    static T Take(std::deque<T> &queue, T fallback)
    {
        if (queue.empty()) return fallback;
        T value = std::move(queue.front());
        queue.pop_front();
        return value;
    }

    static void Record(PopupRecord::Kind kind, const std::string &title, const std::string &text,
                       int answer)
    {
        PopupRecord r{kind, title, text, "", false, answer, ClockNow()};
        S().popups.push_back(r);
    }
};

}  // namespace

void Install()
{
    S() = State();
    InstallFrontEnd(nullptr);
}

void AnswerConfirm(int answer) { S().confirms.push_back(answer); }
void AnswerPrompt(const std::string &text) { S().prompts.push_back(text); }
void CancelPrompt() { S().prompts.push_back(std::nullopt); }
void AnswerFileSelect(int result, const std::string &path) { S().files.emplace_back(result, path); }
void QueueStep(std::function<void()> step) { S().steps.push_back(std::move(step)); }
void OnMessage(std::function<void(const PopupRecord &)> hook) { S().messageHook = std::move(hook); }

const std::vector<PopupRecord> &Popups() { return S().popups; }
const std::vector<ReportRecord> &Reports() { return S().reports; }

std::vector<PopupRecord> Messages()
{
    std::vector<PopupRecord> out;
    for (const PopupRecord &p : S().popups)
        if (p.kind == PopupRecord::Message) out.push_back(p);
    return out;
}

void ClearJournal()
{
    S().popups.clear();
    S().reports.clear();
    S().waitCursor.clear();
    S().progress.clear();
    S().repaints = 0;
}

const std::vector<std::pair<double, bool>> &WaitCursorLog() { return S().waitCursor; }
bool WaitCursorOn() { return WaitCursorShown(); }
int RepaintCount() { return S().repaints; }
void OnRepaint(std::function<void()> hook) { S().repaintHook = std::move(hook); }
const std::vector<ProgressRecord> &ProgressLog() { return S().progress; }
void OnProgress(std::function<void(const ProgressRecord &)> hook)
{
    S().progressHook = std::move(hook);
}
const std::vector<LogWindowRecord> &LogWindows() { return S().logWindows; }

}  // namespace scripted

FrontEnd &ScriptedFrontEnd()
{
    static scripted::Scripted frontEnd;
    return frontEnd;
}

}  // namespace platform
