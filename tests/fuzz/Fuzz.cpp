// The mutation engine, the case runner (time limit, crash and allocation watch),
// the quick pass CI runs and the long campaign scripts/fuzz runs.
#include "Fuzz.h"

#include <gmock/gmock.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cxxabi.h>
#include <exception>
#include <map>
#include <memory>
#include <new>
#include <sstream>

#include "tests/TestFolder.h"
#include "classlib/Forms.h"
#include "components/kelLibrary.h"
#include "components/kelPlatformHooks.h"
#include "model/Uglobals.h"
#include "ui/Ugraphic.h"

namespace fuzz {

namespace {

std::vector<std::function<Target()>>& Makers() {
    static std::vector<std::function<Target()>> makers;
    return makers;
}

std::vector<Target>& Targets() {
    static std::vector<Target> targets;
    return targets;
}

//--- The largest single allocation while a case runs

std::atomic<bool> gWatchAllocations{false};
std::atomic<size_t> gLargestAllocation{0};

//--- Exceptions thrown while a case runs

// The first one of a type the target does not refuse with; null when none was.
std::atomic<const std::type_info*> gForeignThrow{nullptr};

//--- The case in flight, for the crash and hang reports

struct InFlight {
    const Target* target = nullptr;
    const Bytes* input = nullptr;
    std::string how;
    uint64_t seed = 0;
    uint64_t number = 0;
};
InFlight gInFlight;
std::string gFailureDir;
std::atomic<uint64_t> gDeadline{0};  // GetTickCount64 value; 0: no case runs
DWORD gTimeLimitMs = 10000;
// What the application would have shown in a box, or an end of the session it
// asked for, while the case ran: either fails the case.
std::string gApplicationError;

uint64_t Fnv1a(const void* data, size_t size) {
    uint64_t hash = 1469598103934665603ull;
    const auto* bytes = static_cast<const uint8_t*>(data);
    for (size_t i = 0; i < size; ++i) hash = (hash ^ bytes[i]) * 1099511628211ull;
    return hash;
}

// Writes the input under the failure folder; returns the file's name. Uses no
// allocation the crash handler could not afford.
std::string SaveFailure(const char* kind) {
    if (!gInFlight.target || !gInFlight.input) return "";
    CreateDirectoryA(gFailureDir.c_str(), nullptr);
    char name[MAX_PATH + 64];
    std::snprintf(name, sizeof name, "%s\\%s-%s-%016llx.bin", gFailureDir.c_str(), gInFlight.target->Name.c_str(), kind,
                  static_cast<unsigned long long>(Fnv1a(gInFlight.input->data(), gInFlight.input->size())));
    HANDLE file = CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        if (!gInFlight.input->empty())
            ::WriteFile(file, gInFlight.input->data(), static_cast<DWORD>(gInFlight.input->size()), &written, nullptr);
        CloseHandle(file);
    }
    return name;
}

// Called for every exception thrown, before it is caught.
void NoteThrow(void* object, const std::type_info* type) {
    const std::type_info* own = gInFlight.target ? gInFlight.target->OwnRefusal : nullptr;
    if (!own || !gDeadline.load() || gForeignThrow.load()) return;
    void* caught = object;
    if (!own->__do_catch(type, &caught, 1)) gForeignThrow = type;
}

std::string TypeName(const std::type_info& type) {
    int status = 0;
    char* name = abi::__cxa_demangle(type.name(), nullptr, nullptr, &status);
    const std::string text = status == 0 && name ? name : type.name();
    std::free(name);
    return text;
}

[[noreturn]] void DieWithReport(const char* kind, const char* detail) {
    const std::string saved = SaveFailure(kind);
    std::fprintf(stderr, "fuzz: %s %s: %s (seed %llu, case %llu; %s)\nfuzz: input saved as %s\n",
                 gInFlight.target ? gInFlight.target->Name.c_str() : "?", kind, detail,
                 static_cast<unsigned long long>(gInFlight.seed), static_cast<unsigned long long>(gInFlight.number),
                 gInFlight.how.c_str(), saved.c_str());
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 3);
    std::abort();
}

LONG WINAPI OnUnhandledException(EXCEPTION_POINTERS* info) {
    char detail[96];
    std::snprintf(detail, sizeof detail, "exception 0x%08lx at %p",
                  static_cast<unsigned long>(info->ExceptionRecord->ExceptionCode),
                  info->ExceptionRecord->ExceptionAddress);
    DieWithReport("crash", detail);
}

void OnAbort(int) {
    DieWithReport("crash", "abort");
}

void OnTerminate() {
    DieWithReport("crash", "an exception left a function that must not throw");
}

DWORD WINAPI Watchdog(void*) {
    for (;;) {
        Sleep(200);
        const uint64_t deadline = gDeadline.load();
        if (deadline && GetTickCount64() > deadline) DieWithReport("hang", "the read did not end in time");
    }
}

void InstallGuards() {
    SetUnhandledExceptionFilter(OnUnhandledException);
    std::signal(SIGABRT, OnAbort);
    std::set_terminate(OnTerminate);
    static const HANDLE watchdog = CreateThread(nullptr, 0, Watchdog, nullptr, 0, nullptr);
    (void)watchdog;
}

std::string Hex(const Bytes& bytes, size_t limit = 48) {
    std::string text;
    char pair[4];
    for (size_t i = 0; i < std::min(bytes.size(), limit); ++i) {
        std::snprintf(pair, sizeof pair, "%02x", bytes[i]);
        text += pair;
    }
    if (bytes.size() > limit) text += "...";
    return text;
}

struct Outcome {
    bool Failed = false;
    Verdict verdict = Verdict::Refused;
    std::string Why;
};

Outcome RunCase(const Target& target, const Bytes& input) {
    gInFlight.target = &target;
    gInFlight.input = &input;
    Outcome outcome;
    gLargestAllocation = 0;
    gForeignThrow = nullptr;
    gWatchAllocations = true;
    gDeadline = GetTickCount64() + gTimeLimitMs;
    try {
        outcome.verdict = target.Read(input);
    } catch (const Breach& breach) {
        outcome.Failed = true;
        outcome.Why = breach.what();
    } catch (const std::exception& error) {
        outcome.Failed = true;
        outcome.Why = std::string("an error left the reader: ") + error.what();
    } catch (...) {
        outcome.Failed = true;
        outcome.Why = "an unknown error left the reader";
    }
    gDeadline = 0;
    gWatchAllocations = false;
    if (!outcome.Failed && !gApplicationError.empty()) {
        outcome.Failed = true;
        outcome.Why = gApplicationError;
    }
    gApplicationError.clear();
    if (!outcome.Failed && gForeignThrow.load()) {
        outcome.Failed = true;
        outcome.Why = "the reader met an error that is not its refusal: " + TypeName(*gForeignThrow.load());
    }
    const size_t allowed = target.AllocationFloor + target.AllocationPerByte * input.size();
    if (!outcome.Failed && gLargestAllocation > allowed) {
        outcome.Failed = true;
        outcome.Why = "an allocation of " + std::to_string(gLargestAllocation.load()) + " bytes for an input of " +
                      std::to_string(input.size());
    }
    gInFlight.input = nullptr;
    return outcome;
}

// The recorded failures of earlier campaigns and reviews, replayed first.
std::vector<std::pair<std::string, Bytes>> RegressionInputs(const std::string& target) {
    std::vector<std::pair<std::string, Bytes>> inputs;
    const std::string folder = std::string(QR_FUZZ_INPUTS) + "\\" + target;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return inputs;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            inputs.emplace_back(data.cFileName, ReadFile(folder + "\\" + data.cFileName));
    } while (FindNextFileA(find, &data));
    FindClose(find);
    std::sort(inputs.begin(), inputs.end());
    return inputs;
}

struct Tally {
    uint64_t Cases = 0;
    uint64_t Taken = 0;
    uint64_t Refused = 0;
    std::vector<std::string> Failures;
};

// Runs the seeds, then mutated cases from a fixed generator until the count or
// the time is used up. Failing inputs are saved; their reports go to the tally.
Tally Campaign(const Target& target, uint64_t seed, uint64_t maxCases, double seconds) {
    Tally tally;
    const std::vector<Bytes> seeds = target.Seeds();
    gInFlight.seed = seed;
    auto note = [&](const Outcome& outcome, const Bytes& input, const std::string& what) {
        ++tally.Cases;
        if (outcome.Failed) {
            gInFlight.input = &input;
            const std::string saved = SaveFailure("fail");
            gInFlight.input = nullptr;
            if (tally.Failures.size() < 8)
                tally.Failures.push_back(what + ": " + outcome.Why + "\n    input " + Hex(input) + "\n    saved as " +
                                         saved);
        } else if (outcome.verdict == Verdict::Taken) {
            ++tally.Taken;
        } else {
            ++tally.Refused;
        }
    };
    for (size_t i = 0; i < seeds.size(); ++i) {
        gInFlight.how = "seed " + std::to_string(i) + " as it is";
        Outcome outcome = RunCase(target, seeds[i]);
        if (!outcome.Failed && outcome.verdict != Verdict::Taken) {
            outcome.Failed = true;
            outcome.Why = "a valid file was refused";
        }
        note(outcome, seeds[i], gInFlight.how);
    }
    if (seeds.empty()) {
        tally.Failures.push_back("the target has no seeds");
        return tally;
    }
    std::vector<std::vector<Field>> fields(seeds.size());
    if (target.Fields)
        for (size_t i = 0; i < seeds.size(); ++i) fields[i] = target.Fields(seeds[i]);
    Random random(seed);
    const auto start = std::chrono::steady_clock::now();
    for (uint64_t n = 0; n < maxCases; ++n) {
        if (std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() > seconds) break;
        gInFlight.number = n;
        const size_t which = random.Below(seeds.size());
        const Bytes& base = seeds[which];
        std::string how;
        const Bytes input = Mutate(base, random, &how, fields[which]);
        gInFlight.how = how;
        note(RunCase(target, input), input, "case " + std::to_string(n) + " (" + how + ")");
    }
    return tally;
}

uint64_t NameSeed(const std::string& name) {
    return Fnv1a(name.data(), name.size());
}

//--- The quick pass: one test per target

class QuickPass : public testing::Test {
public:
    explicit QuickPass(const Target* target) : m_target(target) {}
    void TestBody() override {
        for (const auto& [name, input] : RegressionInputs(m_target->Name)) {
            gInFlight.how = "regression input " + name;
            const Outcome outcome = RunCase(*m_target, input);
            EXPECT_FALSE(outcome.Failed) << "regression input " << name << ": " << outcome.Why;
        }
        // Fixed generator state and count: a failure repeats. The time cap only
        // keeps a slow machine's CI within its limits.
        const Tally tally = Campaign(*m_target, NameSeed(m_target->Name), 600, 6.0);
        std::printf("fuzz: %s: %llu cases, %llu taken, %llu refused\n", m_target->Name.c_str(),
                    static_cast<unsigned long long>(tally.Cases), static_cast<unsigned long long>(tally.Taken),
                    static_cast<unsigned long long>(tally.Refused));
        for (const std::string& failure : tally.Failures) ADD_FAILURE() << failure;
        EXPECT_GT(tally.Taken, 0u);
    }

private:
    const Target* m_target;
};

void RegisterQuickPass() {
    for (const Target& target : Targets())
        testing::RegisterTest("QuickPass", target.Name.c_str(), nullptr, nullptr, __FILE__, __LINE__,
                              [&target]() -> testing::Test* { return new QuickPass(&target); });
}

//--- The harness's own rules

// A reader that catches its errors itself still fails a case on one that is not
// its refusal, wherever it was thrown; a reader that names no refusal is left to
// its catches.
TEST(Harness, ErrorsAReaderCatchesFailTheCaseUnlessTheyAreItsRefusals) {
    struct Row {
        const char* what;
        const std::type_info* own;
        std::function<void()> thrown;
        bool fails;
    };
    const Row rows[] = {
        {"its refusal", &typeid(Exception), [] { throw EConvertError("refused"); }, false},
        {"a length error inside the library", &typeid(Exception),
         [] {
             std::string text;
             text.reserve(text.max_size() + 1);
         },
         true},
        {"no memory", &typeid(Exception), [] { throw std::bad_alloc(); }, true},
        {"no memory, no refusal named", nullptr, [] { throw std::bad_alloc(); }, false},
    };
    for (const Row& row : rows) {
        Target target;
        target.Name = "Harness";
        target.OwnRefusal = row.own;
        target.Read = [&row](const Bytes&) {
            try {
                row.thrown();
            } catch (...) {
            }
            return Verdict::Refused;
        };
        const Bytes input;
        EXPECT_EQ(RunCase(target, input).Failed, row.fails) << row.what;
        gInFlight.target = nullptr;
    }
}

// --campaign --target=NAME --seconds=N --seed=S [--failures=DIR]
int RunCampaign(const std::map<std::string, std::string>& options) {
    const auto option = [&](const char* name, const char* otherwise) {
        const auto found = options.find(name);
        return found == options.end() ? std::string(otherwise) : found->second;
    };
    const std::string name = option("target", "");
    const auto found = std::find_if(Targets().begin(), Targets().end(), [&](const Target& t) { return t.Name == name; });
    if (found == Targets().end()) {
        std::fprintf(stderr, "fuzz: no target named \"%s\"\n", name.c_str());
        return 2;
    }
    const Tally tally = Campaign(*found, std::strtoull(option("seed", "1").c_str(), nullptr, 10), UINT64_MAX,
                                 std::atof(option("seconds", "60").c_str()));
    for (const std::string& failure : tally.Failures) std::printf("fuzz: %s: %s\n", name.c_str(), failure.c_str());
    std::printf("fuzz-campaign %s cases=%llu taken=%llu refused=%llu failures=%zu\n", name.c_str(),
                static_cast<unsigned long long>(tally.Cases), static_cast<unsigned long long>(tally.Taken),
                static_cast<unsigned long long>(tally.Refused), tally.Failures.size());
    return tally.Failures.empty() ? 0 : 1;
}

}  // namespace

Registration::Registration(std::function<Target()> make) {
    Makers().push_back(std::move(make));
}

//--- Mutations

uint64_t Random::Next() {
    uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

namespace {

constexpr size_t kLargestInput = 8u << 20;

void MutateOnce(Bytes& bytes, Random& random, std::string& how) {
    const size_t size = bytes.size();
    auto position = [&] { return random.Below(size); };
    // Short runs mostly, now and then a long one.
    auto runLength = [&] { return random.Below(4) ? 1 + random.Below(8) : 1 + random.Below(std::max<size_t>(size / 4, 1)); };
    switch (random.Below(7)) {
    case 0: {  // bit flip
        if (!size) break;
        const size_t at = position();
        const int bit = static_cast<int>(random.Below(8));
        bytes[at] ^= static_cast<uint8_t>(1u << bit);
        how += "flip " + std::to_string(at) + "." + std::to_string(bit) + "; ";
        break;
    }
    case 1: {  // truncation: empty, a few bytes, inside a header, half, one short, anywhere
        const size_t lengths[] = {0, random.Below(8), random.Below(std::min<size_t>(size, 64) + 1), size / 2,
                                  size ? size - 1 : 0, random.Below(size + 1)};
        const size_t length = std::min(size, lengths[random.Below(6)]);
        bytes.resize(length);
        how += "cut to " + std::to_string(length) + "; ";
        break;
    }
    case 2: {  // inserted bytes
        const size_t at = random.Below(size + 1);
        const size_t count = runLength();
        const int fill = static_cast<int>(random.Below(3));
        Bytes extra(count);
        for (uint8_t& b : extra) b = fill == 0 ? 0 : fill == 1 ? 0xFF : static_cast<uint8_t>(random.Next());
        bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(at), extra.begin(), extra.end());
        how += "insert " + std::to_string(count) + " at " + std::to_string(at) + "; ";
        break;
    }
    case 3: {  // deleted bytes
        if (!size) break;
        const size_t at = position();
        const size_t count = std::min(runLength(), size - at);
        bytes.erase(bytes.begin() + static_cast<std::ptrdiff_t>(at), bytes.begin() + static_cast<std::ptrdiff_t>(at + count));
        how += "delete " + std::to_string(count) + " at " + std::to_string(at) + "; ";
        break;
    }
    case 4: {  // a length or count field: 0, -1, 0x7fffffff, INT_MIN, just past the data, one more or less
        static const size_t widths[] = {1, 2, 4, 4, 4};
        const size_t width = widths[random.Below(5)];
        if (size < width) break;
        const size_t at = random.Below(size - width + 1);
        uint32_t old = 0;
        std::memcpy(&old, &bytes[at], width);
        const uint32_t rest = static_cast<uint32_t>(size - at - width);
        const uint32_t values[] = {0, 0xFFFFFFFFu, 0x7FFFFFFFu, 0x80000000u, rest + 1, rest, old + 1, old - 1,
                                   static_cast<uint32_t>(size)};
        const uint32_t value = values[random.Below(9)];
        std::memcpy(&bytes[at], &value, width);
        how += "field " + std::to_string(width) + "@" + std::to_string(at) + "=" + std::to_string(value) + "; ";
        break;
    }
    case 5: {  // a chunk duplicated somewhere
        if (!size) break;
        const size_t from = position();
        const size_t count = std::min(runLength() * (1 + random.Below(8)), size - from);
        const size_t to = random.Below(size + 1);
        const Bytes chunk(bytes.begin() + static_cast<std::ptrdiff_t>(from),
                          bytes.begin() + static_cast<std::ptrdiff_t>(from + count));
        bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(to), chunk.begin(), chunk.end());
        how += "copy " + std::to_string(count) + " from " + std::to_string(from) + " to " + std::to_string(to) + "; ";
        break;
    }
    default: {  // two chunks of one length swapped
        const size_t count = std::min(runLength() * (1 + random.Below(8)), size / 2);
        if (!count) break;
        const size_t a = random.Below(size - 2 * count + 1);
        const size_t b = a + count + random.Below(size - a - 2 * count + 1);
        std::swap_ranges(bytes.begin() + static_cast<std::ptrdiff_t>(a),
                         bytes.begin() + static_cast<std::ptrdiff_t>(a + count),
                         bytes.begin() + static_cast<std::ptrdiff_t>(b));
        how += "swap " + std::to_string(count) + " at " + std::to_string(a) + " and " + std::to_string(b) + "; ";
        break;
    }
    }
    if (bytes.size() > kLargestInput) bytes.resize(kLargestInput);
}

// A known field set to a value at a boundary of what its reader takes.
void SetField(Bytes& bytes, const Field& field, Random& random, std::string& how) {
    if (field.Width > 4 || field.At > bytes.size() || bytes.size() - field.At < field.Width) return;
    uint32_t old = 0;
    std::memcpy(&old, &bytes[field.At], field.Width);
    const uint32_t rest = static_cast<uint32_t>(bytes.size() - field.At - field.Width);
    const uint32_t values[] = {0,          1,           0xFFFFFFFFu, 0x7F,        0x80,       0xFF,     0x7FFF,
                               0x8000,     0xFFFF,      0x10000,     4096,        4097,       1u << 24, (1u << 24) + 1,
                               0x7FFFFFFF, 0x80000000u, old + 1,     old - 1,     old * 2,    0 - old,  rest,
                               rest + 1,   static_cast<uint32_t>(bytes.size())};
    const uint32_t value = values[random.Below(sizeof values / sizeof values[0])];
    std::memcpy(&bytes[field.At], &value, field.Width);
    how += "known field " + std::to_string(field.Width) + "@" + std::to_string(field.At) + "=" +
           std::to_string(value) + "; ";
}

}  // namespace

Bytes Mutate(const Bytes& seed, Random& random, std::string* how, const std::vector<Field>& fields) {
    Bytes bytes = seed;
    std::string text;
    // Random offsets rarely hit the few bytes a reader takes its sizes from.
    // Targets that name no fields draw the same numbers as before.
    if (!fields.empty() && random.Below(2)) {
        const size_t count = 1 + random.Below(2);
        for (size_t i = 0; i < count; ++i) SetField(bytes, fields[random.Below(fields.size())], random, text);
        // Alone, or with the usual mutations after it.
        if (random.Below(2)) {
            if (how) *how = text;
            return bytes;
        }
    }
    const size_t rounds = random.Below(4) ? 1 : 2 + random.Below(2);
    for (size_t i = 0; i < rounds; ++i) MutateOnce(bytes, random, text);
    if (how) *how = text;
    return bytes;
}

//--- For targets

std::string DistDir() {
    return QR_DIST_DIR;
}

Bytes ReadFile(const std::string& fileName) {
    const std::string text = TestFolder::ReadBytes(fileName);
    return Bytes(text.begin(), text.end());
}

void WriteFile(const std::string& fileName, const Bytes& bytes) {
    std::FILE* file = std::fopen(fileName.c_str(), "wb");
    const bool written = file && (bytes.empty() || std::fwrite(bytes.data(), bytes.size(), 1, file) == 1);
    if (file && std::fclose(file) != 0) throw Breach("cannot write " + fileName);
    if (!written) throw Breach("cannot write " + fileName);
}

std::string ScratchDir() {
    static TestFolder folder;
    return folder.Path();
}

Bytes ToBytes(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

std::string ToString(const Bytes& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace fuzz

//--- Every allocation of the program's code passes here while a case runs.

namespace {
void* Allocate(size_t size) {
    if (fuzz::gWatchAllocations.load(std::memory_order_relaxed)) {
        size_t largest = fuzz::gLargestAllocation.load(std::memory_order_relaxed);
        while (size > largest && !fuzz::gLargestAllocation.compare_exchange_weak(largest, size)) {
        }
    }
    return std::malloc(size ? size : 1);
}
}  // namespace

void* operator new(size_t size) {
    if (void* p = Allocate(size)) return p;
    throw std::bad_alloc();
}
void* operator new[](size_t size) {
    if (void* p = Allocate(size)) return p;
    throw std::bad_alloc();
}
void* operator new(size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size);
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size);
}
// Where GCC inlines one of these into a caller that got its memory from the
// operator new above, it pairs that with the free and warns of a mismatch.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, size_t) noexcept {
    std::free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
#pragma GCC diagnostic pop

//--- Every throw of the program passes here: the link wraps the runtime's throw.

extern "C" {
[[noreturn]] void __real___cxa_throw(void* object, std::type_info* type, void (*destroy)(void*));

[[noreturn]] void __wrap___cxa_throw(void* object, std::type_info* type, void (*destroy)(void*)) {
    fuzz::NoteThrow(object, type);
    __real___cxa_throw(object, type, destroy);
}
}

// Without options: the quick pass (GoogleTest). With --campaign: one target's
// long run (scripts/fuzz). --list names the targets.
int main(int argc, char** argv) {
    testing::InitGoogleMock(&argc, argv);
    std::map<std::string, std::string> options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--", 0) != 0) continue;
        const size_t equals = arg.find('=');
        options[arg.substr(2, equals == std::string::npos ? std::string::npos : equals - 2)] =
            equals == std::string::npos ? "" : arg.substr(equals + 1);
    }
    fuzz::gFailureDir = options.count("failures") ? options["failures"] : std::string(QR_FUZZ_FAILURES);
    if (const char* limit = std::getenv("QR_FUZZ_TIME_LIMIT_MS")) fuzz::gTimeLimitMs = std::strtoul(limit, nullptr, 10);

    // An error the application would show in a box fails the case instead.
    Application->OnException = [](TObject*, const std::string& message) {
        fuzz::gApplicationError = "the application was handed an error: " + message;
    };
    kelPlatformHooks().ExitWindowsCall = [](UINT) -> BOOL {
        fuzz::gApplicationError = "the session would have been ended";
        return FALSE;
    };
    kelInitialize();
    InitGlobals();
    gCalendarView = new TCalendarView;
    for (const auto& make : fuzz::Makers()) fuzz::Targets().push_back(make());
    fuzz::InstallGuards();

    int result = 0;
    if (options.count("list")) {
        for (const fuzz::Target& target : fuzz::Targets()) std::printf("%s\n", target.Name.c_str());
    } else if (options.count("campaign")) {
        result = fuzz::RunCampaign(options);
    } else {
        fuzz::RegisterQuickPass();
        result = RUN_ALL_TESTS();
    }
    std::fflush(stdout);
    kelFinalize();
    return result;
}
