// The image control's enter and leave events and its tags.
#include <gtest/gtest.h>

#include "UiTestSupport.h"
#include "ui/ExtnImage.h"

TEST(ExtnImage, EnterAndLeaveFireOnceAcrossTheImageAndUnboundImagesIgnoreThem) {
    auto* form = NewForm<TForm>(nullptr);
    form->SetBorderStyle(bsNone);
    form->SetBounds(0, 0, 300, 200);
    auto* image = new TExtnImage(form);
    image->SetParent(form);
    image->SetBounds(100, 50, 80, 60);
    int entered = 0;
    int left = 0;
    image->OnMouseEnter = [&entered, image](TObject* sender) {
        EXPECT_EQ(sender, image);
        ++entered;
    };
    image->OnMouseLeave = [&left](TObject*) { ++left; };
    HWND window = form->Handle();
    for (int x = 10; x <= 290; x += 20) SendMessageA(window, WM_MOUSEMOVE, 0, Point(x, 80));
    EXPECT_EQ(entered, 1);
    EXPECT_EQ(left, 1);
    // Leaving the window from inside the image is a leave too.
    SendMessageA(window, WM_MOUSEMOVE, 0, Point(120, 80));
    SendMessageA(window, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(entered, 2);
    EXPECT_EQ(left, 2);

    auto* plain = new TExtnImage(form);
    EXPECT_EQ(plain->Perform(CM_MOUSEENTER), 0);
    EXPECT_EQ(plain->Perform(CM_MOUSELEAVE), 0);
    FreeForm(form);
}

TEST(ExtnImage, TagsReadBackAsWritten) {
    TExtnImage image(nullptr);
    EXPECT_EQ(image.Tag3, 0);
    EXPECT_EQ(image.GetTagText(), "");
    image.Tag1 = -7;
    image.Tag2 = 1 << 30;
    image.Tag3 = 3;
    image.SetTagText("free text");
    EXPECT_EQ(image.Tag1, -7);
    EXPECT_EQ(image.Tag2, 1 << 30);
    EXPECT_EQ(image.Tag3, 3);
    EXPECT_EQ(image.GetTagText(), "free text");
}
