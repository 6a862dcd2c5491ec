// A window host for the file and settings tests: it records what the model asks
// of the windows and answers file dialogs from a script.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "model/UmodelHost.h"

class RecordingHost : public IModelHost {
public:
    struct Message {
        std::wstring Text;
        std::wstring Title;
        int Mode;
    };

    RecordingHost() { SetModelHost(this); }
    ~RecordingHost() override { SetModelHost(nullptr); }

    int PictureCount() override { return Pictures; }
    int ShowMessage(const std::wstring& text, const std::wstring& title, int mode) override {
        Messages.push_back({text, title, mode});
        if (OnMessage) OnMessage();
        return 0;
    }
    void ApplyHintTimings(int32_t hintDelay, int32_t hintHidePause) override {
        HintTimings.push_back({hintDelay, hintHidePause});
    }
    std::string RunFileDialog(const TFileDialogRequest& request) override {
        Requests.push_back(request);
        return DialogAnswer;
    }
    void RefreshAfterImport() override { ++Refreshes; }
    void ReminderListReplaced() override {
        ++Replacements;
        if (OnReplaced) OnReplaced();
    }

    int Pictures = -1;
    std::string DialogAnswer;  // empty: the user cancels
    std::vector<Message> Messages;
    std::vector<std::pair<int32_t, int32_t>> HintTimings;
    std::vector<TFileDialogRequest> Requests;
    int Refreshes = 0;
    int Replacements = 0;
    std::function<void()> OnReplaced;
    std::function<void()> OnMessage;  // while the message's box would be open
};
