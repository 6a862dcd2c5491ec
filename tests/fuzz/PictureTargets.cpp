// The skin bitmaps and the program's icon, read from files as the program reads them.
#include "Fuzz.h"
#include "classlib/Graphics.h"

namespace {

using fuzz::Bytes;

fuzz::Verdict ReadBitmap(const Bytes& input) {
    const std::string file = fuzz::ScratchDir() + "\\skin.bmp";
    fuzz::WriteFile(file, input);
    TBitmap bitmap(3, 2);
    bitmap.SetPixel(1, 1, RGB(1, 2, 3));
    try {
        bitmap.LoadFromFile(file);
    } catch (const EInvalidGraphic&) {
        // A refused file leaves the picture as it was.
        if (bitmap.Width() != 3 || bitmap.Height() != 2 || bitmap.GetPixel(1, 1) != RGB(1, 2, 3))
            throw fuzz::Breach("a refused bitmap changed the picture");
        return fuzz::Verdict::Refused;
    }
    return fuzz::Verdict::Taken;
}

fuzz::Registration skin{[] {
    fuzz::Target target;
    target.Name = "SkinBitmap";
    target.Seeds = [] {
        std::vector<Bytes> seeds;
        for (const char* name : {"Top.bmp", "BG.bmp", "btn.bmp"})
            seeds.push_back(fuzz::ReadFile(fuzz::DistDir() + "\\Skins\\Default\\" + name));
        return seeds;
    };
    target.Read = ReadBitmap;
    return target;
}};

}  // namespace
