// The harness that throws damaged copies of the program's own files at its readers.
// Each reader is a target: a name, its valid files (the seeds) and a function that
// reads one input the way the program reads that file and says whether it took it.
// The harness mutates the seeds, runs every input with a time limit, and fails a
// case that crashes, hangs, lets an unexpected error out, breaks the target's own
// checks, or asks for more memory at once than the input could justify.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <typeinfo>
#include <vector>

namespace fuzz {

using Bytes = std::vector<uint8_t>;

enum class Verdict { Taken, Refused };

// Thrown by a target when a read broke its rules: a refusal without the program's
// message for that file, or a refusal that changed what was in memory before.
class Breach : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A field of an input the target knows: where it is and how many bytes (1, 2 or 4).
struct Field {
    size_t At;
    size_t Width;
};

struct Target {
    std::string Name;
    // The valid files the mutations start from; each must be taken as it is.
    std::function<std::vector<Bytes>()> Seeds;
    // Reads one input as the program reads the file. Returns whether it was
    // taken or refused; throws Breach when the read broke the target's rules.
    // Any other exception that leaves it fails the case.
    std::function<Verdict(const Bytes& input)> Read;
    // The largest single allocation a read may ask for: Floor + PerByte * input size.
    size_t AllocationFloor = 4u << 20;
    size_t AllocationPerByte = 64;
    // For a reader that catches its errors itself: the type of its own refusals.
    // Any exception of another type thrown while a case runs fails the case, even
    // one the reader catches. Null: what the reader catches is its own business.
    const std::type_info* OwnRefusal = nullptr;
    // The fields of an input that sizes and counts are read from; half the
    // mutated cases set one or two of them to a boundary value first.
    std::function<std::vector<Field>(const Bytes& input)> Fields;
};

// Adds a target at start-up: `static fuzz::Registration r{[] { return fuzz::Target{...}; }};`
struct Registration {
    explicit Registration(std::function<Target()> make);
};

// Mutations: one to three of bit flips, truncation, inserted and deleted bytes,
// fields of 1, 2 or 4 bytes set to 0, -1, 0x7fffffff or just past the data, and
// duplicated or reordered chunks; given the seed's known fields, half the time
// one or two of those set to a boundary value first. The same generator state
// gives the same input.
class Random {
public:
    explicit Random(uint64_t seed) : m_state(seed) {}
    uint64_t Next();
    // 0 .. bound-1 (0 for a bound of 0).
    size_t Below(size_t bound) { return bound ? static_cast<size_t>(Next() % bound) : 0; }

private:
    uint64_t m_state;
};
Bytes Mutate(const Bytes& seed, Random& random, std::string* how = nullptr, const std::vector<Field>& fields = {});

//--- For targets

// The program folder the build fills (its icons.bin, skin, main.ico).
std::string DistDir();
// Reads a whole file; empty when it cannot be read.
Bytes ReadFile(const std::string& fileName);
// Writes a whole file; Breach when it cannot.
void WriteFile(const std::string& fileName, const Bytes& bytes);
// A folder of this process for the targets' scratch files, removed at exit.
std::string ScratchDir();
// The bytes of a string, and back.
Bytes ToBytes(const std::string& text);
std::string ToString(const Bytes& bytes);

}  // namespace fuzz
