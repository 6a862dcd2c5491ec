// File utilities of the class library: existence tests and the safe replacement
// of a file's whole content.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

// Whether a file (not a folder) of that name exists.
bool FileExists(const std::string& fileName);

// Whether the system says that nothing of that name is there: "file not found"
// or "path not found". Any other failure (access denied for a moment, a network
// folder that dropped out) says nothing, and the file may well be there.
bool FileIsMissing(const std::string& fileName);

// The system's answer to the attributes of a name: the attributes, or
// 0xFFFFFFFF with the system's error code in `error`.
using TFileAttributesQuery = std::function<uint32_t(const std::string& fileName, uint32_t& error)>;
// Replaces the system's answer that FileExists, FileIsMissing and
// WriteFileReplacing read; an empty function restores the system's. For tests.
void SetFileAttributesQuery(TFileAttributesQuery query);

// Whether two names denote the same file: both made absolute, then compared
// without regard to case or to the kind of separator.
bool SameFileName(const std::string& a, const std::string& b);

// Writes a file so that its previous content survives every failure: the new
// content goes to a temporary file in the same folder, every write, the flush
// and the close are checked, and only then the temporary file replaces the old
// one in one step. A read-only target is refused, as Windows refuses it.
// `write` writes the content and returns false on any failure of its own.
// Returns whether the file now holds the new content; on false the old file is
// unchanged and no temporary file is left behind.
bool WriteFileReplacing(const std::string& fileName, const std::function<bool(std::FILE*)>& write);
bool WriteFileReplacing(const std::string& fileName, const std::string& content);

// Gives a file a new name in the same volume; false when it cannot be moved or
// the new name is taken.
bool RenameFile(const std::string& from, const std::string& to);

// Deletes the temporary files that WriteFileReplacing left in a folder when a
// write was cut short (the process ended in the middle), and no other file.
void RemoveLeftoverTemporaryFiles(const std::string& folder);

// Writes exactly `size` bytes; false when the stream took fewer.
bool WriteAll(std::FILE* file, const void* data, size_t size);

// Text files read and written whole, line by line (the way a text-file loop of
// reads or writes would), with failures raised as EInOutError carrying the
// system's error code.
// The lines of the file, split at CR, LF or CR LF; no line follows a final break.
std::vector<std::string> ReadTextFileLines(const std::string& fileName);
// Creates the file (emptying an existing one) and writes each line followed by CR LF.
void WriteTextFileLines(const std::string& fileName, const std::vector<std::string>& lines);
