// Byte streams.
#include "classlib/Streams.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

namespace {

const char kReadErrorText[] = "Stream read error";
const char kWriteErrorText[] = "Stream write error";

// The system's text for the last error, without the trailing line break.
std::string LastErrorText() {
    const DWORD code = GetLastError();
    char buffer[512] = {};
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                                        buffer, sizeof buffer, nullptr);
    std::string text(buffer, length);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
    return text;
}

}  // namespace

//--- TStream

int64_t TStream::Size() {
    const int64_t position = Seek(0, TSeekOrigin::soCurrent);
    const int64_t size = Seek(0, TSeekOrigin::soEnd);
    Seek(position, TSeekOrigin::soBeginning);
    return size;
}

int64_t TStream::Remaining() {
    const int64_t rest = Size() - Position();
    return rest > 0 ? rest : 0;
}

void TStream::ReadBuffer(void* buffer, int32_t count) {
    if (count < 0 || (count != 0 && Read(buffer, count) != count)) throw EReadError(kReadErrorText);
}

void TStream::WriteBuffer(const void* buffer, int32_t count) {
    if (count < 0 || (count != 0 && Write(buffer, count) != count)) throw EWriteError(kWriteErrorText);
}

int64_t TStream::CopyFrom(TStream& source, int64_t count) {
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    if (count < 0) throw EReadError(kReadErrorText);
    const int64_t total = count;
    std::vector<uint8_t> buffer(static_cast<size_t>(std::min<int64_t>(count, 0xF000)));
    while (count > 0) {
        const int32_t chunk = static_cast<int32_t>(std::min<int64_t>(count, static_cast<int64_t>(buffer.size())));
        source.ReadBuffer(buffer.data(), chunk);
        WriteBuffer(buffer.data(), chunk);
        count -= chunk;
    }
    return total;
}

//--- TMemoryStream

int32_t TMemoryStream::Read(void* buffer, int32_t count) {
    const int64_t size = Size();
    if (count <= 0 || m_position >= size) return 0;
    const int32_t n = static_cast<int32_t>(std::min<int64_t>(count, size - m_position));
    std::memcpy(buffer, m_data.data() + m_position, static_cast<size_t>(n));
    m_position += n;
    return n;
}

int32_t TMemoryStream::Write(const void* buffer, int32_t count) {
    if (count <= 0) return 0;
    const int64_t end = m_position + count;
    if (end > Size()) m_data.resize(static_cast<size_t>(end));
    std::memcpy(m_data.data() + m_position, buffer, static_cast<size_t>(count));
    m_position = end;
    return count;
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
    int64_t base = 0;
    if (origin == TSeekOrigin::soCurrent) base = m_position;
    if (origin == TSeekOrigin::soEnd) base = Size();
    if (base + offset < 0) throw EStreamError("Invalid stream position");
    m_position = base + offset;
    return m_position;
}

void TMemoryStream::SetSize(int64_t size) {
    if (size < 0) throw EStreamError("Invalid stream size");
    m_data.resize(static_cast<size_t>(size));
    if (m_position > size) m_position = size;
}

void TMemoryStream::Clear() {
    m_data.clear();
    m_position = 0;
}

void TMemoryStream::LoadFromStream(TStream& source) {
    source.SetPosition(0);
    const int64_t size = source.Size();
    if (size > 0x7FFFFFFF) throw EReadError(kReadErrorText);
    std::vector<uint8_t> data(static_cast<size_t>(size));
    source.ReadBuffer(data.data(), static_cast<int32_t>(size));
    m_data.swap(data);
    m_position = 0;
}

void TMemoryStream::SaveToStream(TStream& target) const {
    target.WriteBuffer(m_data.data(), static_cast<int32_t>(m_data.size()));
}

void TMemoryStream::LoadFromFile(const std::string& fileName) {
    TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(file);
}

void TMemoryStream::SaveToFile(const std::string& fileName) const {
    TFileStream file(fileName, fmCreate);
    SaveToStream(file);
}

//--- TFileStream

TFileStream::TFileStream(const std::string& fileName, uint16_t mode) : m_fileName(fileName) {
    HANDLE handle = INVALID_HANDLE_VALUE;
    if (mode == fmCreate) {
        handle = CreateFileA(fileName.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE)
            throw EFCreateError("Cannot create file \"" + fileName + "\". " + LastErrorText());
    } else {
        static const DWORD kAccess[3] = {GENERIC_READ, GENERIC_WRITE, GENERIC_READ | GENERIC_WRITE};
        static const DWORD kShare[5] = {FILE_SHARE_READ | FILE_SHARE_WRITE, 0, FILE_SHARE_READ, FILE_SHARE_WRITE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE};
        const unsigned access = mode & 0x0F;
        const unsigned share = (mode & 0xF0) >> 4;
        if (access > 2 || share > 4) throw EFOpenError("Cannot open file \"" + fileName + "\". Invalid open mode");
        handle = CreateFileA(fileName.c_str(), kAccess[access], kShare[share], nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE)
            throw EFOpenError("Cannot open file \"" + fileName + "\". " + LastErrorText());
    }
    m_handle = handle;
}

TFileStream::~TFileStream() {
    if (m_handle) CloseHandle(m_handle);
}

int32_t TFileStream::Read(void* buffer, int32_t count) {
    if (count <= 0) return 0;
    DWORD done = 0;
    if (!ReadFile(m_handle, buffer, static_cast<DWORD>(count), &done, nullptr)) return 0;
    return static_cast<int32_t>(done);
}

int32_t TFileStream::Write(const void* buffer, int32_t count) {
    if (count <= 0) return 0;
    DWORD done = 0;
    if (!WriteFile(m_handle, buffer, static_cast<DWORD>(count), &done, nullptr)) return 0;
    return static_cast<int32_t>(done);
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin) {
    static const DWORD kMethod[3] = {FILE_BEGIN, FILE_CURRENT, FILE_END};
    LARGE_INTEGER distance;
    distance.QuadPart = offset;
    LARGE_INTEGER result;
    if (!SetFilePointerEx(m_handle, distance, &result, kMethod[static_cast<int>(origin)]))
        throw EStreamError("Invalid stream position");
    return result.QuadPart;
}

void TFileStream::SetSize(int64_t size) {
    const int64_t position = Position();
    SetPosition(size);
    if (!SetEndOfFile(m_handle)) throw EStreamError("Cannot set the size of \"" + m_fileName + "\"");
    if (position < size) SetPosition(position);
}
