// The media player of the class library over MCI: opens a sound file and plays
// it in the background.
#pragma once

#include <string>

#include "classlib/Classes.h"
#include "classlib/SysUtils.h"

enum TMPDeviceTypes { dtAutoSelect, dtWaveAudio };

// Raised when an MCI command fails; the message is MCI's own text.
class EMCIDeviceError : public Exception {
public:
    using Exception::Exception;
};

// A player without a window. FileName and DeviceType take effect at Open.
class TMediaPlayer : public TComponent {
public:
    explicit TMediaPlayer(TComponent* owner);
    ~TMediaPlayer() override;
    const char* ClassName() const override { return "TMediaPlayer"; }

    std::string FileName;
    TMPDeviceTypes DeviceType = dtAutoSelect;
    bool AutoOpen = false;
    bool AutoRewind = true;
    bool Visible = true;

    // Closes an open device and opens FileName. EMCIDeviceError on failure.
    void Open();
    void Close();
    bool IsOpen() const { return m_isOpen; }
    // Starts playing and returns at once; at the end it starts from the beginning.
    void Play();
    void Stop();
    // Moves to the end of the sound.
    void Next();
    // Moves to the beginning.
    void Rewind();
    // The open sound's length in milliseconds.
    int32_t Length();

    void Loaded() override;

private:
    std::string Command(const std::string& command, bool isChecked = true);

    std::string m_alias;
    bool m_isOpen = false;
};
