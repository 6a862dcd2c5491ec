// The image control with mouse enter and leave events and free tags.
#pragma once

#include <cstdint>
#include <string>

#include "classlib/ExtCtrls.h"

// An image control that tells when the mouse enters and leaves it, with three
// free numbers and a free text for its owner's use.
class TExtnImage : public TImage {
public:
    explicit TExtnImage(TComponent* owner);
    ~TExtnImage() override;
    const char* ClassName() const override { return "TExtnImage"; }

    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;
    int32_t Tag1 = 0;
    int32_t Tag2 = 0;
    int32_t Tag3 = 0;
    std::string GetTagText() const;
    void SetTagText(const std::string& text);

    void WndProc(TMessage& message) override;

private:
    void CMMouseEnter(TMessage& message);
    void CMMouseLeave(TMessage& message);

    std::string m_tagText;
};
