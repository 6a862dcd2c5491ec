// The wave player's stored sound: the bytes a form carries in its "FileData",
// played from memory by the system's own player, which reads the image by the
// sizes written in it.
#include <windows.h>

#include <mmsystem.h>

#include <string>
#include <vector>

#include "Fuzz.h"
#include "classlib/Streams.h"
#include "components/kelDesktopComponents.h"
#include "components/kelPlatformHooks.h"

namespace {

using fuzz::Bytes;

void Put32(Bytes& bytes, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void Put16(Bytes& bytes, uint16_t value) {
    bytes.push_back(static_cast<uint8_t>(value & 0xFF));
    bytes.push_back(static_cast<uint8_t>(value >> 8));
}

void PutText(Bytes& bytes, const char* text) {
    bytes.insert(bytes.end(), text, text + 4);
}

// A short PCM wave; with `isList`, a list chunk of an odd size (and its pad)
// stands before the format.
Bytes WaveImage(uint16_t channels, uint16_t bits, uint32_t samples, bool isList) {
    const uint16_t blockAlign = static_cast<uint16_t>(channels * bits / 8);
    const uint32_t dataSize = samples * blockAlign;
    Bytes chunks;
    if (isList) {
        PutText(chunks, "LIST");
        Put32(chunks, 9);
        PutText(chunks, "INFO");
        chunks.insert(chunks.end(), {'a', 'b', 'c', 'd', 'e', 0});  // five bytes and the pad
    }
    PutText(chunks, "fmt ");
    Put32(chunks, 16);
    Put16(chunks, 1);
    Put16(chunks, channels);
    Put32(chunks, 8000);
    Put32(chunks, 8000 * blockAlign);
    Put16(chunks, blockAlign);
    Put16(chunks, bits);
    PutText(chunks, "data");
    Put32(chunks, dataSize);
    for (uint32_t i = 0; i < dataSize; ++i) chunks.push_back(static_cast<uint8_t>(bits == 8 ? 0x80 : 0));
    if (dataSize & 1) chunks.push_back(0);
    Bytes image;
    PutText(image, "RIFF");
    Put32(image, static_cast<uint32_t>(4 + chunks.size()));
    PutText(image, "WAVE");
    image.insert(image.end(), chunks.begin(), chunks.end());
    return image;
}

fuzz::Verdict PlayStoredSound(const Bytes& input) {
    int plays = 0;
    kelPlatformHooks().PlaySoundCall = [&plays](const char* sound, HMODULE module, DWORD flags) {
        if (sound) ++plays;
        return PlaySoundA(sound, module, flags);
    };
    bool isPlaying = false;
    {
        TkelWav wav(nullptr);
        wav.SetPlayFrom(pfDFM);
        // Played to its end within the case: a fault of the player's thread
        // belongs to the input that caused it.
        wav.SetAsyncPlay(false);
        // As a form's stream hands it over: a count, then the bytes.
        TMemoryStream payload;
        const uint32_t count = static_cast<uint32_t>(input.size());
        payload.WriteBuffer(&count, 4);
        if (!input.empty()) payload.WriteBuffer(input.data(), static_cast<int32_t>(input.size()));
        payload.SetPosition(0);
        wav.ReadFileData(payload);
        if (wav.DataSize() != input.size()) throw fuzz::Breach("the stored sound is not the bytes it was given");
        wav.Play();
        isPlaying = wav.Playing();
    }
    kelPlatformHooks().PlaySoundCall = nullptr;
    if (isPlaying) throw fuzz::Breach("the player still counts itself playing after a synchronous play");
    return plays > 0 ? fuzz::Verdict::Taken : fuzz::Verdict::Refused;
}

fuzz::Registration storedSound{[] {
    fuzz::Target target;
    target.Name = "StoredSound";
    target.Seeds = [] {
        std::vector<Bytes> seeds = {WaveImage(1, 8, 16, false), WaveImage(1, 8, 7, true), WaveImage(2, 16, 5, false)};
        // The program's own sounds, as a user might store them.
        for (const char* name : {"\\alert.wav", "\\mv.wav"}) {
            const Bytes sound = fuzz::ReadFile(fuzz::DistDir() + name);
            if (!sound.empty()) seeds.push_back(sound);
        }
        return seeds;
    };
    target.Read = PlayStoredSound;
    return target;
}};

}  // namespace
