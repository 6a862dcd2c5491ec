// The image control with enter and leave events.
#include "ui/ExtnImage.h"

TExtnImage::TExtnImage(TComponent* owner) : TImage(owner) {}

TExtnImage::~TExtnImage() = default;

std::string TExtnImage::GetTagText() const {
    return m_tagText;
}

void TExtnImage::SetTagText(const std::string& text) {
    m_tagText = text;
}

// Called when the library's message table dispatches a message to the image.
void TExtnImage::WndProc(TMessage& message) {
    switch (message.Msg) {
        case CM_MOUSEENTER: return CMMouseEnter(message);
        case CM_MOUSELEAVE: return CMMouseLeave(message);
        default: break;
    }
    TImage::WndProc(message);
}

// Called when the mouse enters the image. Not passed on to the inherited handling.
void TExtnImage::CMMouseEnter(TMessage& message) {
    message.Result = 0;
    if (OnMouseEnter && CanFireEvents()) OnMouseEnter(this);
}

// Called when the mouse leaves the image. Not passed on to the inherited handling.
void TExtnImage::CMMouseLeave(TMessage& message) {
    message.Result = 0;
    if (OnMouseLeave && CanFireEvents()) OnMouseLeave(this);
}
