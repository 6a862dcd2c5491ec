// The component streams and what is read through them or beside them: the picture
// collection, component trees of the library, the file storage's data, INI files
// and version resources.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

#include "Fuzz.h"
#include "classlib/Graphics.h"
#include "classlib/ImgList.h"
#include "classlib/IniFiles.h"
#include "classlib/PictureFiles.h"
#include "classlib/Streaming.h"
#include "components/kelClasses.h"
#include "components/kelFileComponents.h"
#include "components/kelSysUtils.h"
#include "model/Uconverter.h"
#include "model/Uglobals.h"
#include "model/UmodelHost.h"

namespace {

using fuzz::Bytes;

Bytes BytesOf(const TMemoryStream& stream) {
    return stream.Bytes();
}

void Fill(TMemoryStream& stream, const Bytes& bytes) {
    stream.Clear();
    if (!bytes.empty()) stream.WriteBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
    stream.SetPosition(0);
}

// A square picture of one colour with a white (transparent) left edge.
void AddPicture(TImageList& list, COLORREF colour) {
    const int size = list.Width();
    TBitmap picture(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) picture.SetPixel(x, y, x < 4 ? RGB(255, 255, 255) : colour);
    list.AddMasked(&picture, clWhite);
}

COLORREF PixelOf(TImageList& list, int index, int x, int y) {
    TBitmap out;
    list.GetBitmap(index, &out);
    return out.GetPixel(x, y);
}

//=== icons.bin: the picture collection

class PictureHost : public IModelHost {
public:
    TImageList* PictureList() override { return Pictures; }
    void ShowStandardError(const std::string& text, const std::string& caption) override {
        Errors.push_back(caption + ": " + text);
    }
    int ShowMessage(const std::wstring&, const std::wstring&, int) override {
        ++OtherMessages;
        return 0;
    }

    TImageList* Pictures = nullptr;
    std::vector<std::string> Errors;
    int OtherMessages = 0;
};

// The built-in pictures the collection holds before the file is read.
struct BuiltInPictures {
    BuiltInPictures() {
        Pristine.SetSize(32, 32);
        Pristine.SetMasked(false);
        Pristine.SetAllocBy(1);
        for (COLORREF colour : kColours) AddPicture(Pristine, colour);
        Collection.Assign(Pristine);
        Folder = fuzz::ScratchDir() + "\\program";
        CreateDirectoryA(Folder.c_str(), nullptr);
    }
    bool Unchanged() {
        if (Collection.Count() != 3 || Collection.Width() != 32 || Collection.Height() != 32) return false;
        for (int i = 0; i < 3; ++i)
            if (PixelOf(Collection, i, 20, 20) != kColours[i] || PixelOf(Collection, i, 1, 9) != RGB(255, 255, 255))
                return false;
        return true;
    }

    static constexpr COLORREF kColours[3] = {RGB(1, 2, 3), RGB(200, 100, 50), RGB(9, 180, 90)};
    TImageList Pristine{nullptr};
    TImageList Collection{nullptr};
    std::string Folder;
};

fuzz::Verdict ReadIconsBin(const Bytes& input) {
    static BuiltInPictures pictures;
    fuzz::WriteFile(pictures.Folder + "\\" + IconFileName, input);
    PictureHost host;
    host.Pictures = &pictures.Collection;
    SetModelHost(&host);
    const std::string savedPath = AppPath;
    AppPath = pictures.Folder + "\\";
    gConverter->LoadPictureCollection();
    AppPath = savedPath;
    SetModelHost(nullptr);

    if (host.OtherMessages != 0) throw fuzz::Breach("the picture collection showed another message");
    if (host.Errors.empty()) {
        if (pictures.Collection.Count() <= 0 || pictures.Collection.Width() != 32)
            throw fuzz::Breach("a taken picture collection is empty or of another size");
        pictures.Collection.Assign(pictures.Pristine);
        return fuzz::Verdict::Taken;
    }
    if (host.Errors != std::vector<std::string>{"Error: Error reading the file \"" + IconFileName + "\""})
        throw fuzz::Breach("a refused picture collection was not reported once with its message");
    if (!pictures.Unchanged()) throw fuzz::Breach("a refused picture collection changed the pictures");
    return fuzz::Verdict::Refused;
}

// A picture collection as the program writes it, of `count` pictures made here:
// 24-bit as the program keeps them, with masks, or 32-bit with an alpha channel
// that fades across each picture.
enum class ListKind { Plain, Masked, Alpha };

Bytes CollectionFile(int count, ListKind kind) {
    TImageList list(nullptr);
    list.SetName("ImageListForMessages");
    list.SetAllocBy(1);
    list.SetSize(32, 32);
    list.SetMasked(kind == ListKind::Masked);
    for (int i = 0; i < count; ++i) {
        const COLORREF colour = RGB(40 * i, 255 - 40 * i, 90);
        if (kind != ListKind::Alpha) {
            AddPicture(list, colour);
            continue;
        }
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = 32;
        info.bmiHeader.biHeight = -32;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        GdiBitmap picture(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        if (!picture) throw fuzz::Breach("no bitmap for a seed");
        auto* pixels = static_cast<uint32_t*>(bits);
        for (uint32_t y = 0; y < 32; ++y)
            for (uint32_t x = 0; x < 32; ++x) pixels[y * 32 + x] = (x * 8) << 24 | (GetBValue(colour) << 16) | y;
        if (!list.HandleAllocated()) list.SetHandle(ImageList_Create(32, 32, ILC_COLOR32, 0, 1));
        if (ImageList_Add(list.Handle(), picture.Get(), nullptr) < 0) throw fuzz::Breach("a seed's picture was not added");
    }
    TMemoryStream stream;
    WriteComponentRes(stream, "TIMAGELIST", &list);
    return BytesOf(stream);
}

// Where the sizes of every image list in the bytes are read from: its header, the
// file and info headers of its bitmaps (the pictures, and the masks of a list
// that keeps them), and the length of the binary value that holds it.
std::vector<fuzz::Field> ImageListFields(const Bytes& input) {
    std::vector<fuzz::Field> fields;
    static const uint8_t kMagic[4] = {'I', 'L', 1, 1};
    constexpr size_t kHeader = 28;
    constexpr size_t kFileHeader = 14;
    for (size_t at = 0; at + kHeader <= input.size(); ++at) {
        if (std::memcmp(&input[at], kMagic, sizeof kMagic) != 0) continue;
        if (at >= 4) fields.push_back({at - 4, 4});
        // The count, room, growth, picture width and height, and the flags.
        for (size_t offset : {4, 6, 8, 10, 12, 18}) fields.push_back({at + offset, 2});
        size_t bitmap = at + kHeader;
        for (int i = 0; i < ((input[at + 18] & ILC_MASK) ? 2 : 1); ++i) {
            const size_t header = bitmap + kFileHeader;
            if (header + sizeof(BITMAPINFOHEADER) > input.size()) break;
            fields.push_back({bitmap + 2, 4});
            fields.push_back({bitmap + 10, 4});
            // Size, width, height, planes, depth, compression, image size, colours.
            for (const fuzz::Field& field : {fuzz::Field{0, 4}, fuzz::Field{4, 4}, fuzz::Field{8, 4}, fuzz::Field{12, 2},
                                             fuzz::Field{14, 2}, fuzz::Field{16, 4}, fuzz::Field{20, 4}, fuzz::Field{32, 4}})
                fields.push_back({header + field.At, field.Width});
            BitmapInfo shape;
            if (!CheckBitmapInfo(&input[header], input.size() - header, shape)) break;
            const uint64_t palette = shape.bitCount <= 8 ? (uint64_t{4} << shape.bitCount) : 0;
            bitmap = static_cast<size_t>(header + shape.headerSize + palette + shape.PixelBytes());
        }
        at += kHeader - 1;
    }
    return fields;
}

fuzz::Registration iconsBin{[] {
    fuzz::Target target;
    target.Name = "IconsBin";
    target.Seeds = [] {
        std::vector<Bytes> seeds{fuzz::ReadFile(fuzz::DistDir() + "\\icons.bin"), CollectionFile(10, ListKind::Masked),
                                 CollectionFile(3, ListKind::Alpha)};
        for (int count = 1; count <= 5; ++count) seeds.push_back(CollectionFile(count, ListKind::Plain));
        return seeds;
    };
    target.Read = ReadIconsBin;
    // The program passes over the layer's errors only.
    target.OwnRefusal = &typeid(Exception);
    target.Fields = ImageListFields;
    return target;
}};

//=== Component streams of the library's components

// An icon with its caption, colour and list: the library's tray icon without the
// window it needs, so that the cases run without a display.
class TPictureItem : public TkelComponent {
public:
    explicit TPictureItem(TComponent* owner) : TkelComponent(owner) {}
    static const TClassInfo& StaticClassInfo() {
        using T = TPictureItem;
        static const TClassInfo info("TFuzzPictureItem", &TkelComponent::StaticClassInfo(), &CreateComponentOf<T>,
                                     [](TPropList& list) {
                                         TPublished<T>(list)
                                             .String("Caption", &T::Caption, &T::SetCaption)
                                             .Color("Color", &T::Color, &T::SetColor, clWhite)
                                             .Object("Icon", &T::Icon)
                                             .Component<TImageList>("Images", &T::Images, &T::SetImages)
                                             .Integer("Big", &T::Big, &T::SetBig, 0, INT64_MIN, INT64_MAX)
                                             .Enumeration("Kind", &T::Kind, &T::SetKind,
                                                          {"pkNone", "pkInfo", "pkWarning"}, 0);
                                     });
        return info;
    }
    const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
    const char* ClassName() const override { return "TFuzzPictureItem"; }

    const std::string& Caption() const { return m_caption; }
    void SetCaption(const std::string& value) { m_caption = value; }
    TColor Color() const { return m_color; }
    void SetColor(TColor value) { m_color = value; }
    TIcon* Icon() const { return m_icon.get(); }
    TImageList* Images() const { return m_images; }
    void SetImages(TImageList* value) {
        m_images = value;
        if (value) value->FreeNotification(this);
    }
    int64_t Big() const { return m_big; }
    void SetBig(int64_t value) { m_big = value; }
    int Kind() const { return m_kind; }
    void SetKind(int value) { m_kind = value; }

protected:
    void Notification(TComponent* component, TOperation operation) override {
        TkelComponent::Notification(component, operation);
        if (operation == TOperation::opRemove && component == m_images) m_images = nullptr;
    }

private:
    std::string m_caption;
    TColor m_color = clWhite;
    std::unique_ptr<TIcon> m_icon = std::make_unique<TIcon>();
    TImageList* m_images = nullptr;
    int64_t m_big = 0;
    int m_kind = 0;
};

void RegisterStreamedClasses() {
    kelRegisterClasses({&TImageList::StaticClassInfo(), &TkelFileOperation::StaticClassInfo(),
                        &TkelFileStorage::StaticClassInfo(), &TPictureItem::StaticClassInfo(),
                        &TkelFileAssociation::StaticClassInfo(), &TkelComponent::StaticClassInfo()});
}

// A 32-bit icon of one colour.
HICON MakeIcon(COLORREF colour) {
    TBitmap colours(16, 16);
    TBitmap mask(16, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            colours.SetPixel(x, y, colour);
            mask.SetPixel(x, y, x < 3 ? RGB(255, 255, 255) : RGB(0, 0, 0));
        }
    ICONINFO info{};
    info.fIcon = TRUE;
    info.hbmColor = colours.Handle();
    info.hbmMask = mask.Handle();
    return CreateIconIndirect(&info);
}

// A root of every kind of property: integers of every width, long and short
// strings, an enumeration, a set, a list of strings, binary data (an icon, the
// pictures of a list, a stored file), references and nested components.
std::unique_ptr<TkelFileOperation> SampleTree() {
    auto root = std::make_unique<TkelFileOperation>(nullptr);
    root->SetName("Root");
    root->Tag = 70000;
    root->DesignLeft = -5;
    root->DesignTop = 300;
    for (const char* line : {"a.txt", "b.txt=c.txt", "", "d e.txt"}) root->FileList()->Add(line);
    root->SetDestFolder(std::string(300, 'd'));
    root->SetProgressTitle("Copying");
    root->SetOperation(fotMove);
    root->SetOptions(kelFileOperationFlag(fofSilent) | kelFileOperationFlag(fofNoErrorUI));

    auto* pictures = new TImageList(root.get());
    pictures->SetName("Pictures");
    pictures->SetSize(16, 16);
    pictures->SetAllocBy(2);
    AddPicture(*pictures, RGB(10, 20, 30));
    AddPicture(*pictures, RGB(40, 50, 60));

    auto* storage = new TkelFileStorage(root.get());
    storage->SetName("Storage");
    storage->SetSaveName("out.dat");
    const char data[] = "stored bytes\0with a zero";
    storage->Data().WriteBuffer(data, sizeof data);

    auto* item = new TPictureItem(root.get());
    item->SetName("Item");
    item->SetCaption("Reminder");
    item->SetColor(clRed);
    item->Icon()->SetHandle(MakeIcon(RGB(200, 10, 10)));
    item->SetImages(pictures);
    item->SetBig(-(int64_t(1) << 40));
    item->SetKind(2);
    auto* plain = new TPictureItem(root.get());
    plain->SetName("Plain");
    plain->SetColor(0x123456);
    plain->SetBig(-129);

    auto* association = new TkelFileAssociation(root.get());
    association->SetName("Association");
    association->SetIconIndex(-40000);
    association->SetOpenCommand("\"prog.exe\" \"%1\"");
    association->SetFileDescription("Reminder list");
    return root;
}

// Names of the root's components, for comparing before and after.
std::vector<std::string> ComponentNames(const TComponent& root) {
    std::vector<std::string> names;
    for (int i = 0; i < root.ComponentCount(); ++i) names.push_back(root.Components(i)->Name());
    return names;
}

Bytes SampleResource() {
    RegisterStreamedClasses();
    std::unique_ptr<TkelFileOperation> root = SampleTree();
    TMemoryStream stream;
    WriteComponentRes(stream, root->ClassName(), root.get());
    return BytesOf(stream);
}

Bytes SampleStream() {
    RegisterStreamedClasses();
    std::unique_ptr<TkelFileOperation> root = SampleTree();
    TMemoryStream stream;
    WriteComponent(stream, root.get());
    return BytesOf(stream);
}

// A component stream ends its read with a stream error (a damaged picture is the
// graphic's own error); nothing else may leave the reader.
bool IsStreamRefusal(const std::exception& error) {
    return dynamic_cast<const EStreamError*>(&error) || dynamic_cast<const EInvalidGraphic*>(&error);
}

// Reads the stream into a given root that already holds a component: a refusal
// leaves its components as they were and no reading state behind.
fuzz::Verdict ReadComponentStream(const Bytes& input) {
    const std::vector<const TClassInfo*> classes = RegisteredClasses();
    TMemoryStream stream;
    Fill(stream, input);
    const bool isResource = !input.empty() && input[0] == 0xFF;
    // Half the cases make the root from the stream, half read into one.
    const bool intoRoot = input.size() % 2 == 0;
    std::unique_ptr<TComponent> made;
    TkelFileOperation root(nullptr);
    root.SetName("Given");
    auto* kept = new TkelComponent(&root);
    kept->SetName("Kept");
    const std::vector<std::string> before = ComponentNames(root);
    fuzz::Verdict verdict = fuzz::Verdict::Taken;
    try {
        TComponent* instance = intoRoot ? &root : nullptr;
        TComponent* read = isResource ? ReadComponentRes(stream, instance) : ReadComponent(stream, instance);
        if (!intoRoot) made.reset(read);
        if (!read) throw fuzz::Breach("a taken stream gave no component");
    } catch (const std::exception& error) {
        if (!IsStreamRefusal(error)) throw;
        verdict = fuzz::Verdict::Refused;
    }
    if (verdict == fuzz::Verdict::Refused) {
        if (ComponentNames(root) != before || root.FindComponent("Kept") != kept)
            throw fuzz::Breach("a refused stream changed the root's components");
        if (root.ComponentState() != 0 || kept->ComponentState() != 0)
            throw fuzz::Breach("a refused stream left its root reading");
    }
    if (RegisteredClasses() != classes) throw fuzz::Breach("a stream changed the register of classes");
    return verdict;
}

fuzz::Registration componentStream{[] {
    fuzz::Target target;
    target.Name = "ComponentStream";
    target.Seeds = [] { return std::vector<Bytes>{SampleResource(), SampleStream()}; };
    target.Read = ReadComponentStream;
    target.Fields = ImageListFields;
    return target;
}};

//=== The file storage: whole files, and its data in a component stream

Bytes StorageResource() {
    RegisterStreamedClasses();
    TkelFileStorage storage(nullptr);
    storage.SetName("Storage");
    storage.SetSaveName("saved.txt");
    storage.SetFileName("source.txt");
    const std::string text = "line one\r\nline two\r\n" + std::string(600, 'x');
    storage.Data().WriteBuffer(text.data(), static_cast<int32_t>(text.size()));
    TMemoryStream stream;
    WriteComponentRes(stream, storage.ClassName(), &storage);
    return BytesOf(stream);
}

// What the storage held before each read.
const Bytes kEarlierData = fuzz::ToBytes("earlier data");

void FillEarlier(TkelFileStorage& storage) {
    storage.Data().Clear();
    storage.Data().WriteBuffer(kEarlierData.data(), static_cast<int32_t>(kEarlierData.size()));
}

fuzz::Verdict ReadFileStorage(const Bytes& input) {
    RegisterStreamedClasses();
    if (!input.empty() && input[0] == 0xFF) {
        // The storage as a component stream: its data comes from "FileData".
        TMemoryStream stream;
        Fill(stream, input);
        try {
            std::unique_ptr<TComponent> read(ReadComponentRes(stream, nullptr));
            if (!read) throw fuzz::Breach("a taken stream gave no component");
        } catch (const std::exception& error) {
            if (!IsStreamRefusal(error) && !dynamic_cast<const EkelFileStorage*>(&error)) throw;
            return fuzz::Verdict::Refused;
        }
        return fuzz::Verdict::Taken;
    }

    // Any file is data: it is taken whole.
    const std::string file = fuzz::ScratchDir() + "\\stored.bin";
    fuzz::WriteFile(file, input);
    TkelFileStorage storage(nullptr);
    FillEarlier(storage);
    if (!storage.LoadFrom(file)) throw fuzz::Breach("an existing file was not loaded");
    if (storage.Data().Bytes() != input || storage.DataSize() != input.size())
        throw fuzz::Breach("the loaded data is not the file");

    // The same bytes as a "FileData" payload: a count, then the bytes.
    FillEarlier(storage);
    TMemoryStream payload;
    Fill(payload, input);
    try {
        storage.ReadFileData(payload);
    } catch (const EStreamError&) {
        if (storage.Data().Bytes() != kEarlierData) throw fuzz::Breach("a refused payload changed the data");
        return fuzz::Verdict::Refused;
    }
    return fuzz::Verdict::Taken;
}

fuzz::Registration fileStorage{[] {
    fuzz::Target target;
    target.Name = "FileStorage";
    target.Seeds = [] {
        Bytes payload = {12, 0, 0, 0};
        const std::string text = "twelve bytes";
        payload.insert(payload.end(), text.begin(), text.end());
        return std::vector<Bytes>{StorageResource(), payload};
    };
    target.Read = ReadFileStorage;
    return target;
}};

//=== INI files

// A list of zero-ended names as the profile calls give them, grown until it fits.
std::vector<std::string> ProfileNames(const char* section, const std::string& file) {
    for (DWORD size = 1024;; size *= 4) {
        std::vector<char> buffer(size);
        const DWORD length = section ? GetPrivateProfileStringA(section, nullptr, "", buffer.data(), size, file.c_str())
                                     : GetPrivateProfileSectionNamesA(buffer.data(), size, file.c_str());
        if (length < size - 2 || size >= (1u << 22)) {
            std::vector<std::string> names;
            for (size_t at = 0; at < length && buffer[at];) {
                names.emplace_back(&buffer[at]);
                at += names.back().size() + 1;
            }
            return names;
        }
    }
}

Bytes IniSeed() {
    const std::string file = fuzz::ScratchDir() + "\\seed.ini";
    DeleteFileA(file.c_str());
    TIniFile ini(file);
    ini.WriteString("General", "Title", "Quib Reminder");
    ini.WriteInteger("General", "Count", -2147483647 - 1);
    ini.WriteBool("General", "Visible", true);
    ini.WriteString("Window", "Left", "$FFFFFFFF");
    ini.WriteString("Window", "Long", std::string(2500, 'w') + "=end");
    kelIniWriteString(file, "kel", "Name", "  value;with;semicolons  ");
    kelIniWriteInteger(file, "kel", "Number", 0x7fffffff);
    ini.UpdateFile();
    return fuzz::ReadFile(file);
}

fuzz::Verdict ReadIniFile(const Bytes& input) {
    // A new name each time: the system keeps recently read files in memory.
    static unsigned number = 0;
    const std::string file = fuzz::ScratchDir() + "\\read" + std::to_string(++number) + ".ini";
    fuzz::WriteFile(file, input);
    const TIniFile ini(file);
    // Every value as text and as a number; flags are numbers read the same way,
    // and the library's helpers are these readers.
    for (const std::string& section : ProfileNames(nullptr, file)) {
        for (const std::string& key : ProfileNames(section.c_str(), file)) {
            (void)ini.ReadString(section, key, "default");
            (void)ini.ReadInteger(section, key, -1);
        }
    }
    (void)ini.ReadBool("General", "Visible", false);
    (void)kelIniReadString(file, "kel", "Name");
    DeleteFileA(file.c_str());
    return fuzz::Verdict::Taken;
}

fuzz::Registration iniFile{[] {
    fuzz::Target target;
    target.Name = "IniFile";
    target.Seeds = [] { return std::vector<Bytes>{IniSeed()}; };
    target.Read = ReadIniFile;
    return target;
}};

//=== Version resources

// The version block of a file as the system gives it; empty when it has none.
Bytes FileVersionBlock(const std::string& fileName) {
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(fileName.c_str(), &handle);
    Bytes block(size);
    if (!size || !GetFileVersionInfoA(fileName.c_str(), 0, size, block.data())) return Bytes();
    return block;
}

// Builds a version block of the wide format: nodes of length, value length, type,
// key, value and children, each aligned to 32 bits.
class VersionNode {
public:
    VersionNode(const std::wstring& key, const Bytes& value, bool isText) : m_key(key), m_value(value), m_isText(isText) {}
    static VersionNode Text(const std::wstring& key, const std::wstring& text) {
        Bytes value;
        for (wchar_t c : text + L'\0') value.insert(value.end(), {uint8_t(c & 0xFF), uint8_t(c >> 8)});
        return VersionNode(key, value, true);
    }
    VersionNode& Add(const VersionNode& child) {
        m_children.push_back(child);
        return *this;
    }
    Bytes Build() const {
        Bytes out(6, 0);
        for (wchar_t c : m_key + L'\0') out.insert(out.end(), {uint8_t(c & 0xFF), uint8_t(c >> 8)});
        Align(out);
        out.insert(out.end(), m_value.begin(), m_value.end());
        for (const VersionNode& child : m_children) {
            Align(out);
            const Bytes bytes = child.Build();
            out.insert(out.end(), bytes.begin(), bytes.end());
        }
        const uint16_t valueLength = static_cast<uint16_t>(m_isText ? m_value.size() / 2 : m_value.size());
        const uint16_t length = static_cast<uint16_t>(out.size());
        out[0] = uint8_t(length & 0xFF);
        out[1] = uint8_t(length >> 8);
        out[2] = uint8_t(valueLength & 0xFF);
        out[3] = uint8_t(valueLength >> 8);
        out[4] = m_isText ? 1 : 0;
        return out;
    }

private:
    static void Align(Bytes& out) {
        while (out.size() % 4) out.push_back(0);
    }
    std::wstring m_key;
    Bytes m_value;
    bool m_isText;
    std::vector<VersionNode> m_children;
};

Bytes TwoLanguageVersionBlock() {
    VS_FIXEDFILEINFO fixed{};
    fixed.dwSignature = VS_FFI_SIGNATURE;
    fixed.dwStrucVersion = VS_FFI_STRUCVERSION;
    fixed.dwFileVersionMS = 0x00020003;
    fixed.dwFileVersionLS = 0x00040005;
    fixed.dwProductVersionMS = 0x00020000;
    fixed.dwFileFlagsMask = VS_FFI_FILEFLAGSMASK;
    fixed.dwFileFlags = VS_FF_DEBUG | VS_FF_SPECIALBUILD;
    fixed.dwFileOS = VOS_NT_WINDOWS32;
    fixed.dwFileType = VFT_APP;
    const auto* raw = reinterpret_cast<const uint8_t*>(&fixed);
    VersionNode root(L"VS_VERSION_INFO", Bytes(raw, raw + sizeof fixed), false);
    VersionNode strings(L"StringFileInfo", {}, true);
    strings.Add(VersionNode(L"040704b0", {}, true)
                    .Add(VersionNode::Text(L"CompanyName", L"Firma"))
                    .Add(VersionNode::Text(L"FileDescription", L"Erinnerungen"))
                    .Add(VersionNode::Text(L"SpecialBuild", L"fuzz")));
    strings.Add(VersionNode(L"040904E4", {}, true)
                    .Add(VersionNode::Text(L"CompanyName", L"Company"))
                    .Add(VersionNode::Text(L"Comments", std::wstring(200, L'c')))
                    .Add(VersionNode::Text(L"Flavour", L"")));
    root.Add(strings);
    const Bytes translations = {0x07, 0x04, 0xb0, 0x04, 0x09, 0x04, 0xe4, 0x04, 0x00, 0x00, 0xb0, 0x04};
    root.Add(VersionNode(L"VarFileInfo", {}, true).Add(VersionNode(L"Translation", translations, false)));
    return root.Build();
}

fuzz::Verdict ReadVersionInfo(const Bytes& input) {
    try {
        TkelFileVersionInfo info(input.empty() ? nullptr : input.data(), static_cast<uint32_t>(input.size()));
        (void)info.GetBinFileVersion();
        (void)info.GetBinProductVersion();
        (void)(info.GetFileOS() + info.GetFileType() + info.GetFileSubType() + info.Flags());
        for (int language = 0; language < info.GetLanguageCount(); ++language) {
            info.SetLanguageIndex(language);
            (void)info.GetLanguageIds(language);
            (void)info.GetLanguageNames(language);
            for (int key = 0; key <= 13; ++key) (void)info.GetVersionKeyValue(key);
            (void)info.GetUserKey("Flavour");
            (void)info.GetUserKey("");
        }
    } catch (const EkelFileVersionInfo&) {
        return fuzz::Verdict::Refused;
    }
    return fuzz::Verdict::Taken;
}

fuzz::Registration fileVersionInfo{[] {
    fuzz::Target target;
    target.Name = "FileVersionInfo";
    target.Seeds = [] {
        std::vector<Bytes> seeds{TwoLanguageVersionBlock()};
        const Bytes program = FileVersionBlock(fuzz::DistDir() + "\\QuibReminder.exe");
        if (!program.empty()) seeds.push_back(program);
        return seeds;
    };
    target.Read = ReadVersionInfo;
    return target;
}};

}  // namespace
