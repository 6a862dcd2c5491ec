// The program's window host of the model: messages and the calendar sound.
#pragma once

#include "model/UmodelHost.h"

class TProgramHost final : public IModelHost {
public:
    int ShowMessage(const std::wstring& text, const std::wstring& title, int mode) override;
    bool OpenCalendarSound(const std::wstring& fileName) override;
    void PlayCalendarSound() override;
};
