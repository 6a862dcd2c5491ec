// kelSysUtils: the component library's system utilities. Class registration for
// streaming; the process environment, keyboard and screen state, keyboard
// layouts, the PC speaker and the Windows version with its flags
// (kelSysUtils.cpp); integer and rectangle arithmetic, searching and editing
// strings, conversions to and from text, string lists (kelSysUtilsStrings.cpp);
// file names and paths (kelSysUtilsPaths.cpp); files and processes, INI files
// and the deferred file operations (kelSysUtilsFiles.cpp); the registry,
// autostart, change notifications, URL coding and the unit's start and end
// (kelSysUtilsRegistry.cpp); and the routines that install the library into a
// component development environment (kelSysUtilsDevEnv.cpp).
//
// Strings are 8-bit; character positions count from 1, 0 meaning "not found".
// The routines keep no state; they report failure through their results unless
// a routine says it raises.
#pragma once

#include <windows.h>

#include <bitset>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "classlib/Classes.h"
#include "classlib/Controls.h"  // TShiftState
#include "classlib/Streaming.h"
#include "classlib/SysUtils.h"

//--- Class registration

// Registers the class for component streaming unless a class of that name is
// already known. Nothing for no class; a failure inside is ignored.
void kelRegisterClass(const TClassInfo* cls);
void kelRegisterClasses(std::initializer_list<const TClassInfo*> classes);

//--- Environment

// The value of an environment variable; empty when it is missing.
std::string kelGetEnvVar(const std::string& name);
// The text with its environment references expanded; unchanged when that fails.
std::string kelExpandEnvStr(const std::string& text);
// The workgroup or domain of the machine, in upper case; empty when unknown.
std::string kelGetWorkgroupName();
void kelGetWorkAreaRect(RECT& rect);

//--- Keyboard and screen

// Shift, Ctrl and Alt as they are now; never a mouse button.
TShiftState kelGetShiftState();
bool kelIsCapsLock();
bool kelIsNumLock();
bool kelIsScrollLock();
bool kelIsScreenSaverRunning();
// The name of a key, from the key data of a keyboard message.
std::string kelGetKeyText(LPARAM keyData);

// The layout id of a layout handle: its language, or for a handle naming a layout
// variant, the registry's number of that variant.
uint32_t kelGetLayoutID(HKL layout);
// Appends the name of every installed layout that the registry names, with the
// layout's handle as the item's object (the list does not own its objects, so a
// handle is safe there). Nothing for no list.
void kelGetKeyboardLayoutList(TStrings* list);

//--- Speaker

// The PC speaker through its ports. Only the Windows 9x family lets a program at
// the ports; elsewhere these do nothing.
void kelSound(uint32_t hertz);
void kelNoSound();
// A tone: through the ports on the 9x family, with Beep on the NT family.
void kelSpeakerBeep(uint32_t hertz, uint32_t milliseconds);

//--- Windows version

enum TkelWindowsVersion {
    wvUnknown,
    wvWin95,
    wvWin95OSR2,
    wvWin98,
    wvWin98SE,
    wvWinNT3,
    wvWinNT4,
    wvWin2000,
    wvWinME,
    wvWinXP,
};

enum TkelNtProductType { ptUnknown, ptWorkStation, ptServer, ptAdvancedServer };

// Set once by the library's start-up; false until then.
extern bool IsWin95, IsWin95OSR2, IsWin98, IsWin98SE, IsWinME, IsWinNT, IsWinNT3, IsWinNT4, IsWin2K, IsWinXP;
extern bool IsWin98orHigher, IsWin2000orHigher, IsWinXPorHigher;

// The platform the start-up found: 1 the 9x family, 2 the NT family (0 before it ran).
// The speaker and workgroup routines choose their way by it.
extern uint32_t kelWin32Platform;

// What the system reports of itself (GetVersionEx).
struct TkelOSVersion {
    uint32_t Platform = 0;  // 1 the 9x family, 2 the NT family
    uint32_t Major = 0;
    uint32_t Minor = 0;
    uint32_t Build = 0;
    std::string CSD;  // the service text
};

// The or-higher flags a version decision sets. A platform that is neither 9x nor
// NT leaves them as they were.
struct TkelVersionFlags {
    bool Win98orHigher = false;
    bool Win2000orHigher = false;
    bool WinXPorHigher = false;
};

// The version decision, as a function of what the system reports.
TkelWindowsVersion kelWindowsVersionOf(const TkelOSVersion& os, TkelVersionFlags& flags);
// The running system's version; sets the or-higher flags.
TkelWindowsVersion kelGetWindowsVersion();
TkelNtProductType kelNtProductType();
// The file version of shell32.dll: major in the high word, minor in the low one; 0
// when it cannot be read (it is tried again next time).
uint32_t kelGetShellVersion();

// Start of the unit (run by kelInitialize): the log name, the version flags and
// the application folder.
void kelSysUtilsInitialize();

// End of the unit (run by kelFinalize): releases the application folder and log name.
void kelSysUtilsFinalize();

//=== Arithmetic and port access

int32_t Max(int32_t a, int32_t b);
int32_t Min(int32_t a, int32_t b);
// Base to an integer power by repeated squaring; a negative exponent gives the
// reciprocal of the positive power, exponent 0 gives 1.
long double IntPower(long double base, int32_t exponent);
// Exponent 0 gives 1, base 0 with a positive exponent 0; a whole exponent within
// 32 bits goes to IntPower; anything else is exp(exponent * ln(base)).
long double Power(long double base, long double exponent);

enum TkelHorzAlign { haLeft, haCenter, haRight };
enum TkelVertAlign { vaTop, vaCenter, vaBottom };
// A rectangle of the same width and height placed inside the bounds.
RECT kelAlignRectInRect(const RECT& rect, const RECT& bounds, TkelHorzAlign horz, TkelVertAlign vert);

// The processor's I/O ports (through kelPlatformHooks): only the Windows 9x family
// lets a program reach them.
void PortOut(uint16_t port, uint8_t value);
uint8_t PortIn(uint16_t port);

//=== Search and edit

// A set of 8-bit characters.
class TkelCharSet {
public:
    TkelCharSet() = default;
    TkelCharSet(std::initializer_list<char> chars);
    // Every character of the text.
    explicit TkelCharSet(const std::string& chars);
    // The characters from first to last (by code).
    static TkelCharSet Range(unsigned char first, unsigned char last);

    bool Contains(char c) const { return m_bits.test(static_cast<unsigned char>(c)); }
    TkelCharSet& Include(char c);
    TkelCharSet operator+(const TkelCharSet& other) const;

private:
    std::bitset<256> m_bits;
};

// The first position of subStr in s at or after index; 0 when not found, when
// either is empty, when index is below 1 or when fewer than Length(subStr)
// characters remain from index on.
int kelPosEx(const std::string& subStr, const std::string& s, int index);
// The last position p where subStr occurs ending at or before min(index, Length(s)); 0 when none.
int kelBackPosEx(const std::string& subStr, const std::string& s, int index);
int kelBackPos(const std::string& subStr, const std::string& s);
// kelPosEx and the first position, on the locale's upper-case forms of both texts.
int kelPosIgnoreCaseEx(const std::string& subStr, const std::string& s, int index);
int kelPosIgnoreCase(const std::string& subStr, const std::string& s);

// Deletes Length(oldSubStr) characters of s at index and inserts newSubStr there.
void kelReplace(std::string& s, int index, const std::string& oldSubStr, const std::string& newSubStr);
// Replaces every occurrence; the search goes on after the inserted text, which is
// never searched again. An empty oldSubStr replaces nothing.
void kelReplaceSubStringsEx(std::string& s,
                            const std::string& oldSubStr,
                            const std::string& newSubStr,
                            bool ignoreCase);
void kelReplaceSubStrings(std::string& s, const std::string& oldSubStr, const std::string& newSubStr);
void kelReplaceChars(std::string& s, char oldChar, char newChar);
// s without the characters of the set, or with only those.
std::string kelRemoveCharSet(const TkelCharSet& set, const std::string& s);
std::string kelLeaveCharSet(const TkelCharSet& set, const std::string& s);
// s with c appended (put in front) unless it ends (begins) with c; an empty s stays empty.
std::string kelAddChar(const std::string& s, char c);
std::string kelAddCharBefore(const std::string& s, char c);
// Finds c at or after index and deletes it with everything after it, or
// everything up to and including it. Nothing when c is not there.
void kelDeleteAfterCharEx(std::string& s, char c, int index);
void kelDeleteBeforeCharEx(std::string& s, char c, int index);
void kelDeleteAfterChar(std::string& s, char c);
void kelDeleteBeforeChar(std::string& s, char c);
// s with every d + name + d of the list's name=value lines replaced, without
// regard to case, by the value (both trimmed). Lines without a name are skipped.
std::string kelChangeParams(const std::string& s, const TStrings& params, char delimiter);
// c in front of s and after it: always, or only where s does not already begin or
// end with c (an empty s then stays empty).
std::string kelEncloseStringEx(const std::string& s, char c, bool always);
std::string kelEncloseString(const std::string& s, char c);
// s without the characters of the set at its start, its end, or both.
std::string kelTrimLeft(const std::string& s, const TkelCharSet& set);
std::string kelTrimRight(const std::string& s, const TkelCharSet& set);
std::string kelTrim(const std::string& s, const TkelCharSet& set);

//=== Conversions

// Exactly 8 binary digits, the most significant first.
std::string kelByteToBin(uint8_t value);
// The 32 bits without leading zeros ("0" for 0), filled on the left with "0" up
// to `digits` characters; never shortened.
std::string kelIntToBin(int32_t value, int digits = 0);
// Binary text to a number; "" gives 0; any character but 0 and 1 raises
// EConvertError ("%s is not valid Binary value").
int32_t kelBinToInt(const std::string& s);
// The octal digits of the magnitude (none for 0), filled on the left with "0" up
// to `digits` characters.
std::string kelIntToOct(int32_t value, int digits = 0);
// Octal text to a number; "" gives 0; raises EConvertError ("%s is not valid Octal value").
int32_t kelOctToInt(const std::string& s);
// Roman numerals of the magnitude, "-" in front of a negative value; "" for 0.
std::string kelIntToRoman(int32_t value);
// Roman numerals (upper case, blanks ignored, an optional leading "-") to a
// number; "" gives 0; raises EConvertError ("%s is not valid Roman value").
int32_t kelRomanToInt(const std::string& s);
std::string kelBooleanToStr(bool value);
// True only for "True" in any ASCII case.
bool kelStrToBoolean(const std::string& s);
// "a.b.c.d" of the four bytes, the most significant first.
std::string kelVersionToStr(uint32_t version);
// Up to four dot-separated numbers into the bytes from the most significant on;
// a missing field is 0, one that is no number counts 0; fields are not cut to 8 bits.
uint32_t kelStrToVersion(const std::string& s);
// "x,y" and back; a text without a comma gives (0, 0), a field that is no number 0.
std::string kelPointToStr(const POINT& point);
POINT kelStrToPoint(const std::string& s);
// "left,top,right,bottom" and back (split at the second comma).
std::string kelRectToStr(const RECT& rect);
RECT kelStrToRect(const std::string& s);
// A date or time in the given format ("yyyymmdd", "dd.mm.yyyy", "hhnn"), read by
// the class library's parser; its EConvertError passes to the caller. The
// process-wide format is put back in every case.
TDateTime kelStrToDate(const std::string& s, const std::string& format);
TDateTime kelStrToTime(const std::string& s, const std::string& format);
// Two upper-case hexadecimal digits per byte; empty when size <= 0.
std::string kelBinaryToString(const void* buffer, int32_t size);
// The hexadecimal digits of s (everything else dropped) as bytes into the buffer:
// at most size bytes. The number of bytes stored; -1 for no buffer or size < 1.
int32_t kelStringToBinary(const std::string& s, void* buffer, int32_t size);

//=== Lists and records

// Appends the parts of s between the delimiters (and between line breaks) to the
// list, which is not cleared first; nothing for no list.
void kelParseString(const std::string& s, const std::string& delimiter, TStrings* list);
// The items joined with the delimiter; empty for no list.
std::string kelUnParseString(const TStrings* list, const std::string& delimiter);
// Deletes every item equal to s without regard to case (by the locale); nothing for no list.
void kelRemoveStringFromList(const std::string& s, TStrings* list);
// Fills size bytes with zero and stores size in the first 32-bit field (when it has room for one).
void kelInitRecord(void* record, int32_t size);

//=== File names and paths
// The separator is the backslash; the name routines accept ":" and "/" as well.

// False for an empty name; true for an existing file, or when a file of that name
// can be created (it is deleted again).
bool kelIsValidFileName(const std::string& name);
// s with "\" appended unless it ends with one ("" gives "\").
std::string kelAddSlash(const std::string& s);
std::string kelAddSlashBefore(const std::string& s);
// s without one trailing "\".
std::string kelRemoveSlash(const std::string& s);
// Every "\\" replaced by "\" in one pass.
std::string kelRemoveExtraSlash(const std::string& s);
// The part after, or up to and including, the last of "\", ":" and "/".
std::string kelExtractFileName(const std::string& path);
std::string kelExtractFilePath(const std::string& path);
// The file name without its extension.
std::string kelExtractOnlyFileName(const std::string& path);
// The name a file takes under a destination mask: the mask's folder, name and
// extension where they hold no "*" or "?", the file's own elsewhere. A blank mask
// gives the file name.
std::string kelGetFileNameMatchedMask(const std::string& fileName, const std::string& mask);
// A path shortened to maxLength with "..." in place of middle folders.
std::string kelPackPathString(const std::string& path, int maxLength);
// Clears the list and adds the command-line parameters, less one leading "-" or "/".
void kelCommandLineToStrings(TStrings* list);
// path when it has a drive part; else path below base.
std::string kelConcatRelativePath(const std::string& base, const std::string& path);
// The full path of path taken relative to base; kelAddSlash(base) for an empty path.
std::string kelExpandRelativePathEx(const std::string& base, const std::string& path);
std::string kelExpandRelativePath(const std::string& path);
// Against the current directory; against the application folder when that gives no existing folder.
std::string kelSmartExpandRelativePath(const std::string& path);
std::string kelExpandRelativeFileNameEx(const std::string& base, const std::string& fileName);
std::string kelExpandRelativeFileName(const std::string& fileName);
// Against the current directory; against the application folder when that gives no existing file.
std::string kelSmartExpandRelativeFileName(const std::string& fileName);
bool kelDirectoryExists(const std::string& path);
// Creates the folder and its missing parents; the list (when given) gets the
// folders created, outermost first. Nothing is reported.
void kelForceDirectoriesEx(const std::string& path, TStrings* created);
void kelForceDirectories(const std::string& path);
// The system's folders, with a trailing "\".
std::string kelGetWindowsDir();
std::string kelGetSystemDir();
std::string kelGetProgramFilesDir();
std::string kelGetTempDir();
// A new empty file in the temporary folder, named with (the first three
// characters of) the prefix; its name.
std::string kelGetUniqueTempFileName(const std::string& prefix);

//=== Files and processes

// The application folder with its trailing separator, and the program's name with
// the extension ".log" (empty when the name is). Set by the unit's start.
extern std::string SAppPath;
extern std::string kelLogFileName;
// Tracing: the library writes no log; these do nothing.
void kelTrace(const std::string& message);
void kelTraceEx(const std::string& message, int level);
void kelTraceError(const std::string& message);

// The size of a file opened for reading with sharing; false (with the system's
// error code kept) when it cannot be opened or measured.
bool kelGetFileSize(const std::string& fileName, uint32_t& size);
// CopyFile, replacing an existing destination.
bool kelCopyFile(const std::string& source, const std::string& dest);
// Progress of kelCopyFileEx after each chunk: the caller's data, the bytes copied,
// the source's size; setting cancel stops the copy.
using TkelCopyFileCallback = std::function<void(TObject* data, uint32_t copied, uint32_t total, bool& cancel)>;
// Copies in chunks of bufferSize bytes (0 means 65536). False when a file cannot be
// opened, a write falls short, or the callback cancels (last error 1223); a partly
// written destination stays.
bool kelCopyFileEx(const std::string& source,
                   const std::string& dest,
                   uint32_t bufferSize,
                   const TkelCopyFileCallback& callback,
                   TObject* data);
// Starts the command line with its window hidden (through kelPlatformHooks); with
// wait, returns when the program has ended.
void kelRunEx(const std::string& commandLine, bool wait);
void kelRun(const std::string& commandLine);
// Deletes the file; when it cannot be deleted now (the program holds it), a batch
// file in the temporary folder deletes it once it can, then deletes itself.
void kelRemoveFile(const std::string& fileName);
// Copies source over dest, or leaves it to such a batch file.
void kelReplaceFile(const std::string& source, const std::string& dest);
// As kelReplaceFile, then runs dest with the parameters.
void kelReplaceFileAndRun(const std::string& source, const std::string& dest, const std::string& params);
// Called for each file kelForEachFile finds; clearing continueSearch ends the search of that folder.
using TkelForEachFileCallback =
    std::function<void(const std::string& dir, const TSearchRec& rec, bool& continueSearch)>;
// Calls the callback for each file of the mask's folder that matches the mask and
// the attributes, then (recursive) for the subfolders, depth first. The number of calls.
int32_t kelForEachFile(const std::string& mask,
                       uint32_t attributes,
                       bool recursive,
                       const TkelForEachFileCallback& callback);
// Local date-time to a file time in universal time, and back.
FILETIME kelDateTimeToFileTime(TDateTime value);
TDateTime kelFileTimeToDateTime(const FILETIME& time);
// Clears and sets attributes; 0 on success, else the system's error code.
int32_t kelModifyFileAttr(const std::string& fileName, uint32_t clear, uint32_t set);
// The modification date (two-second steps); now when the file cannot be opened for writing.
TDateTime kelGetFileDateTime(const std::string& fileName);
void kelSetFileDateTime(const std::string& fileName, TDateTime value);
// The times of the first match of the name, as local time; EOSError when nothing matches.
TDateTime kelGetFileLastAccess(const std::string& fileName);
TDateTime kelGetFileCreation(const std::string& fileName);
TDateTime kelGetFileLastWrite(const std::string& fileName);
// Sets one time of an existing file or folder; false when it cannot be opened or set.
bool kelSetFileLastAccess(const std::string& fileName, TDateTime value);
bool kelSetFileCreation(const std::string& fileName, TDateTime value);
bool kelSetFileLastWrite(const std::string& fileName, TDateTime value);
// The time stamp of a program file's resource directory; false when the file has
// no program header, no resource section or cannot be read.
bool kelGetFileBuildDateTime(const std::string& fileName, TDateTime& value);
// Writes the interface part of a source file (up to its "implementation" keyword)
// as a ".int" file into the folder; false when the source or the folder is
// missing. Input-output failures raise EInOutError.
bool kelCreateIntFile(const std::string& source, const std::string& destDir);

//=== INI files (each call opens the file, does one thing and lets it go)

bool kelIniReadBool(const std::string& fileName, const std::string& section, const std::string& key);
int32_t kelIniReadInteger(const std::string& fileName, const std::string& section, const std::string& key);
std::string kelIniReadString(const std::string& fileName, const std::string& section, const std::string& key);
void kelIniWriteBool(const std::string& fileName, const std::string& section, const std::string& key, bool value);
void kelIniWriteInteger(const std::string& fileName, const std::string& section, const std::string& key, int32_t value);
void kelIniWriteString(const std::string& fileName,
                       const std::string& section,
                       const std::string& key,
                       const std::string& value);

//=== Registry
// The readers without a default and every writer raise ERegistryException ("Unable
// to open the %s key") when the key cannot be opened; a missing value reads as
// TRegistry reads it (an empty string; an error for the other types). The Def
// readers, the delete and the exists routines report through their results only.

// Creates the key under HKEY_CLASSES_ROOT and sets its default value; the system's result code.
LONG kelRegCreateKey(const std::string& key, const std::string& value);
bool kelRegDeleteEntry(HKEY root, const std::string& key, const std::string& name);
bool kelRegDeleteKey(HKEY root, const std::string& key);
bool kelRegKeyExists(HKEY root, const std::string& key);
bool kelRegReadBool(HKEY root, const std::string& key, const std::string& name);
double kelRegReadFloat(HKEY root, const std::string& key, const std::string& name);
int32_t kelRegReadInteger(HKEY root, const std::string& key, const std::string& name);
std::string kelRegReadString(HKEY root, const std::string& key, const std::string& name);
bool kelRegReadBoolDef(HKEY root, const std::string& key, const std::string& name, bool defaultValue);
double kelRegReadFloatDef(HKEY root, const std::string& key, const std::string& name, double defaultValue);
int32_t kelRegReadIntegerDef(HKEY root, const std::string& key, const std::string& name, int32_t defaultValue);
std::string kelRegReadStringDef(HKEY root,
                                const std::string& key,
                                const std::string& name,
                                const std::string& defaultValue);
void kelRegWriteBool(HKEY root, const std::string& key, const std::string& name, bool value);
void kelRegWriteFloat(HKEY root, const std::string& key, const std::string& name, double value);
void kelRegWriteInteger(HKEY root, const std::string& key, const std::string& name, int32_t value);
// A text holding "%" is written as an expandable string, any other as a plain one.
void kelRegWriteString(HKEY root, const std::string& key, const std::string& name, const std::string& value);
void kelRegWriteExpandString(HKEY root, const std::string& key, const std::string& name, const std::string& value);

//=== Autostart

enum TkelAutoExecKind {
    aekMachineRun,
    aekMachineRunOnce,
    aekUserRun,
    aekUserRunOnce,
    aekServiceRun,
    aekServiceRunOnce,
};
// Registers the file to start with Windows, under its file name; false on any
// failure, and for the service kinds on the NT family.
bool kelRegisterAutoExec(TkelAutoExecKind kind, const std::string& fileName);
// Removes it; true when it is gone (also when it was never there).
bool kelUnregisterAutoExec(TkelAutoExecKind kind, const std::string& fileName);

//=== Registry change notifications (for the registry monitor thread)

// What a notification needs to arm itself again.
struct _REG_CHANGE_DATA {
    HKEY Key;
    uint32_t WatchSubTree;  // all ones for true, 0 for false
    uint32_t NotifyFilter;  // REG_NOTIFY_CHANGE_* flags
};
#ifdef _WIN64
static_assert(sizeof(_REG_CHANGE_DATA) == 16, "a key handle and two 32-bit fields");
#else
static_assert(sizeof(_REG_CHANGE_DATA) == 12, "a key handle and two 32-bit fields");
#endif
// An event signalled when the key changes; INVALID_HANDLE_VALUE (with the last
// error set) when the notification cannot be armed.
HANDLE kelRegFindFirstChangeNotification(HKEY key, bool watchSubTree, uint32_t filter, _REG_CHANGE_DATA& data);
// Resets the event and arms the notification again; false for an invalid handle or a failure.
bool kelRegFindNextChangeNotification(HANDLE handle, const _REG_CHANGE_DATA& data);
void kelRegFindCloseChangeNotification(HANDLE handle);

//=== URL coding

// "+" to a blank, then every "%" with two hexadecimal digits to that character (nothing for 0 or no number).
std::string kelUrlDecode(const std::string& s);
// Blank, "*", "#", "%", "<", ">" and every character from 128 on as "%" and two upper-case hexadecimal digits.
std::string kelUrlEncode(const std::string& s);

//=== Development environment
// A component development environment in two editions, A and B, each in several
// versions, installed on the same machine: its folders from the registry, the
// command-line tools, its package list, library search path and help contents.

enum TkelDevEnvVer { dvA2, dvB1, dvA3, dvB3, dvA4, dvB4, dvA5, dvB5, dvA6, dvB6, dvA7 };
using TkelDevEnvVers = std::bitset<11>;

// The environment's registry keys and tools. The names are those of the
// environment the routines serve; these are placeholders until one is chosen.
extern const char* const CkelDevEnvMakerKey;
extern const char* const CkelDevEnvEditionAKey;
extern const char* const CkelDevEnvEditionBKey;
extern const char* const CkelDevEnvEditionACompiler;   // edition A's command-line compiler
extern const char* const CkelDevEnvEditionBCompiler;   // edition B version 1's compiler
extern const char* const CkelDevEnvEditionBConverter;  // edition B's project converter
// "Software\<maker>\<edition>\<version>.0" for each version.
extern const std::string CkelDevEnvRegPaths[11];

// A string value of the version's key under HKEY_LOCAL_MACHINE; empty when the key cannot be opened.
std::string kelGetDevEnvRegKey(TkelDevEnvVer version, const std::string& name);
// The environment's root folder ("RootDir"), with "\", and its help folder.
std::string kelGetDevEnvDir(TkelDevEnvVer version);
std::string kelGetDevEnvDirHelp(TkelDevEnvVer version);
// Compiles (or with build, builds) the file with the version's tools; nothing when
// the file or the environment is missing.
void kelCompileFile(TkelDevEnvVer version, const std::string& fileName, bool build);
void kelUninstallPackage(TkelDevEnvVer version, const std::string& packageFile);
void kelInstallPackage(TkelDevEnvVer version, const std::string& packageFile, const std::string& description);
void kelRemoveSearchPathFromDevEnv(TkelDevEnvVer version, const std::string& dir);
// Puts the folder first in the library search path, once.
void kelAddSearchPathToDevEnv(TkelDevEnvVer version, const std::string& dir);
void kelRemoveHelpFromCntFile(const std::string& helpFile, const std::string& cntFile);
// Adds the help file's ":Include" and ":Index" lines to a help contents file, once.
void kelAddHelpToCntFile(const std::string& helpFile, const std::string& title, const std::string& cntFile);
