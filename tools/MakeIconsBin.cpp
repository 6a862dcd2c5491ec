// Writes the picture collection file "icons.bin" that the program folder ships
// with: the built-in pictures this tool carries (the program's own), stored by
// the program's own writer, so that a first start finds a collection to read.
//
//   MakeIconsBin <output file>
//
// A path given in the build machine's form (/dir/file) is taken through the
// emulator's drive for the root, Z:.
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>

#include "classlib/ImgList.h"
#include "classlib/Streaming.h"
#include "classlib/SysUtils.h"
#include "ui/Upictures.h"

namespace {

std::string WindowsPath(std::string path) {
    if (path.empty() || path[0] != '/') return path;
    for (char& c : path)
        if (c == '/') c = '\\';
    return "Z:" + path;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: MakeIconsBin <output file>\n");
        return 2;
    }
    try {
        // The list as the add/modify dialog holds it before any file replaced it.
        TImageList list(nullptr);
        list.SetName("ImageListForMessages");
        const int added = LoadBuiltInPictures(&list);
        if (added != kBuiltInPictureCount) {
            std::fprintf(stderr, "MakeIconsBin: %d of %d built-in pictures found\n", added, kBuiltInPictureCount);
            return 1;
        }
        const std::string fileName = WindowsPath(argv[1]);
        WriteComponentResFile(fileName, &list);
        // What the program will read at start, read back the program's way.
        RegisterPersistentClass(TImageList::StaticClassInfo());
        std::unique_ptr<TComponent> read(ReadComponentResFile(fileName, nullptr));
        const auto* pictures = dynamic_cast<const TImageList*>(read.get());
        if (!pictures || pictures->Count() != added) {
            std::fprintf(stderr, "MakeIconsBin: %s does not read back\n", fileName.c_str());
            return 1;
        }
    } catch (const Exception& error) {
        std::fprintf(stderr, "MakeIconsBin: %s\n", error.Message().c_str());
        return 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "MakeIconsBin: %s\n", error.what());
        return 1;
    }
    return 0;
}
