// SPDX-License-Identifier: MIT
// A dialog view for the controller's tests: it records what it is asked, answers its questions
// as told, and runs what is posted to it when the test pumps it.
#pragma once

#include "ui/dialog_controller.h"
#include "ui/resource.h"

#include <chrono>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace corvane::test {

class FakeView : public CDialogView {
public:
    // The focus on the dialog itself.
    static constexpr int kParked = 0;

    void DoDataExchange(bool bSaveAndValidate, DialogFields& exchanged) override
    {
        if (bSaveAndValidate)
            exchanged = fields;
        else
            fields = exchanged;
    }
    std::string NumberText() const override { return number; }
    void SetText(int id, const std::string& text) override
    {
        texts[id] = text;
        if (id == IDC_NUMBER)
            number = text;
    }
    void SetVolume(int position) override { volume = position; }
    void Enable(int id, bool bEnabled, bool bParkFocus) override
    {
        enabled[id] = bEnabled;
        if (bParkFocus)
            focus = kParked;
    }
    void SetTip(int id, const std::string& text) override { tips[id] = text; }
    bool HasFocus(int id) const override { return focus == id; }
    bool FocusIsParked() const override { return focus == kParked; }
    void Focus(int id, bool bByShortcut) override
    {
        focus = id;
        bFocusByShortcut = bByShortcut;
    }
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    void ShowFailure(const std::string& text) override { failures.push_back(text); }
    bool AskExit() override
    {
        ++nExitQuestions;
        return bExitAnswer;
    }
    std::optional<SaveChoice> AskSavePath(const std::string& folder) override
    {
        ++nSaveQuestions;
        saveFolders.push_back(folder);
        if (!savePath)
            return std::nullopt;
        const std::size_t slash = savePath->find_last_of("/\\");
        return SaveChoice{*savePath, savePath->substr(0, slash == std::string::npos ? 0 : slash)};
    }
    void Close() override { bClosed = true; }
    void Post(std::function<void()> task) override
    {
        std::lock_guard lock(m_mutex);
        m_posted.push_back(std::move(task));
    }

    // Runs what was posted until none is left.
    void Pump()
    {
        for (;;) {
            std::function<void()> task;
            {
                std::lock_guard lock(m_mutex);
                if (m_posted.empty())
                    return;
                task = std::move(m_posted.front());
                m_posted.pop_front();
            }
            task();
        }
    }

    // Runs what is posted until done() holds, for at most 10 s; whether it came to hold.
    template <class Done>
    bool PumpUntil(Done done)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        for (;;) {
            Pump();
            if (done())
                return true;
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    // Forgets what was posted, as a window that has gone never runs it; waits a little for any
    // notice still on its way.
    void Drop()
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        std::lock_guard lock(m_mutex);
        m_posted.clear();
    }

    DialogFields fields;
    std::string number;
    std::map<int, std::string> texts;
    std::map<int, bool> enabled;
    std::map<int, std::string> tips;
    int focus = kParked;
    bool bFocusByShortcut = false;
    int volume = -1;
    std::vector<std::string> messages;
    std::vector<std::string> failures;
    int nExitQuestions = 0;
    bool bExitAnswer = false;
    bool bClosed = false;
    int nSaveQuestions = 0;
    std::optional<std::string> savePath;  // nullopt: the file dialog is cancelled
    std::vector<std::string> saveFolders;

private:
    std::mutex m_mutex;
    std::deque<std::function<void()>> m_posted;
};

}  // namespace corvane::test
