// The picture collection and the built-in pictures.
#include "ui/Upictures.h"

#include <memory>
#include <string>

namespace {

TImageList* gInstalled = nullptr;

TImageList* BuiltInList() {
    // Lives as long as the program: windows draw from it until their last paint.
    static TImageList* list = [] {
        auto* made = new TImageList(nullptr);
        LoadBuiltInPictures(made);
        return made;
    }();
    return list;
}

}  // namespace

TImageList* PictureCollection() {
    return gInstalled ? gInstalled : BuiltInList();
}

bool IsPictureCollectionInstalled() {
    return gInstalled != nullptr;
}

void SetPictureCollection(TImageList* list) {
    gInstalled = list;
}

int LoadBuiltInPictures(TImageList* list) {
    list->SetSize(32, 32);
    list->SetMasked(false);
    list->SetAllocBy(1);
    HINSTANCE instance = GetModuleHandleA(nullptr);
    int added = 0;
    for (int i = 0; i < kBuiltInPictureCount; ++i) {
        TBitmap picture;
        try {
            picture.LoadFromResourceName(instance, "PICTURE" + std::to_string(i));
            list->AddMasked(&picture, clWhite);
            ++added;
        } catch (const Exception&) {
            // A program file built without the artwork has no pictures to offer.
        }
    }
    return added;
}
