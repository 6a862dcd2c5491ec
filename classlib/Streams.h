// Byte streams: the abstract stream, a stream in memory and a stream on a file,
// with the errors they raise.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "classlib/Classes.h"
#include "classlib/SysUtils.h"

//--- Errors

// Base of the stream errors.
class EStreamError : public Exception {
public:
    using Exception::Exception;
};

// A file could not be created (TFileStream with fmCreate).
class EFCreateError : public EStreamError {
public:
    using EStreamError::EStreamError;
};

// A file could not be opened.
class EFOpenError : public EStreamError {
public:
    using EStreamError::EStreamError;
};

// Base of the errors of component streaming (reader and writer).
class EFilerError : public EStreamError {
public:
    using EStreamError::EStreamError;
};

// Fewer bytes than asked for, or a stream whose contents make no sense.
class EReadError : public EFilerError {
public:
    using EFilerError::EFilerError;
};

// Not all bytes could be written.
class EWriteError : public EFilerError {
public:
    using EFilerError::EFilerError;
};

//--- Streams

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

// A sequence of bytes with a position. Read and Write move as far as they can and
// say how far; ReadBuffer and WriteBuffer insist on the whole count.
class TStream : public TObject {
public:
    const char* ClassName() const override { return "TStream"; }

    virtual int32_t Read(void* buffer, int32_t count) = 0;
    virtual int32_t Write(const void* buffer, int32_t count) = 0;
    // The new position; a position before the start raises EStreamError.
    virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;

    int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
    void SetPosition(int64_t position) { Seek(position, TSeekOrigin::soBeginning); }
    virtual int64_t Size();
    virtual void SetSize(int64_t size) = 0;
    // Bytes between the position and the end (0 when the position is past it).
    int64_t Remaining();

    // Reads exactly count bytes or raises EReadError ("Stream read error").
    void ReadBuffer(void* buffer, int32_t count);
    // Writes exactly count bytes or raises EWriteError ("Stream write error").
    void WriteBuffer(const void* buffer, int32_t count);
    // Copies count bytes from source's position; count 0 copies all of source from its start.
    int64_t CopyFrom(TStream& source, int64_t count);
};

// A stream held in memory; grows as it is written.
class TMemoryStream : public TStream {
public:
    const char* ClassName() const override { return "TMemoryStream"; }

    int32_t Read(void* buffer, int32_t count) override;
    int32_t Write(const void* buffer, int32_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() override { return static_cast<int64_t>(m_data.size()); }
    void SetSize(int64_t size) override;

    void Clear();
    const uint8_t* Memory() const { return m_data.data(); }
    uint8_t* Memory() { return m_data.data(); }
    const std::vector<uint8_t>& Bytes() const { return m_data; }

    // Replaces the contents with all of source (from its start) and rewinds.
    void LoadFromStream(TStream& source);
    void SaveToStream(TStream& target) const;
    void LoadFromFile(const std::string& fileName);
    void SaveToFile(const std::string& fileName) const;

private:
    std::vector<uint8_t> m_data;
    int64_t m_position = 0;
};

// Open modes of TFileStream: one access mode, or-ed with one sharing mode; or fmCreate.
enum : uint16_t {
    fmOpenRead = 0x0000,
    fmOpenWrite = 0x0001,
    fmOpenReadWrite = 0x0002,
    fmShareExclusive = 0x0010,
    fmShareDenyWrite = 0x0020,
    fmShareDenyRead = 0x0030,
    fmShareDenyNone = 0x0040,
    fmCreate = 0xFF00,  // create the file, or empty an existing one; read and write
};

// A stream on a file of the file system.
class TFileStream : public TStream {
public:
    // Opens or creates the file; failures raise EFOpenError or EFCreateError.
    TFileStream(const std::string& fileName, uint16_t mode);
    ~TFileStream() override;
    const char* ClassName() const override { return "TFileStream"; }

    int32_t Read(void* buffer, int32_t count) override;
    int32_t Write(const void* buffer, int32_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    void SetSize(int64_t size) override;

    const std::string& FileName() const { return m_fileName; }
    void* Handle() const { return m_handle; }

private:
    std::string m_fileName;
    void* m_handle = nullptr;
};
