// Media player over MCI command strings.
#include "classlib/MPlayer.h"

#include <windows.h>

#include <mmsystem.h>

namespace {
int gNextAlias = 0;

// MCI's own text for an error, so that every failure reads alike.
std::string ErrorText(MCIERROR error) {
    char text[256] = {0};
    if (!mciGetErrorStringA(error, text, sizeof(text))) lstrcpyA(text, "Unknown MCI error");
    return text;
}
}  // namespace

TMediaPlayer::TMediaPlayer(TComponent* owner)
    : TComponent(owner), m_alias("qrplayer" + IntToStr(static_cast<int32_t>(++gNextAlias))) {}

TMediaPlayer::~TMediaPlayer() {
    if (m_isOpen) Command("close " + m_alias, false);
}

void TMediaPlayer::Loaded() {
    TComponent::Loaded();
    // An auto-open player opens its file once it is read; failing is not an
    // error of the form.
    if (AutoOpen && !FileName.empty()) {
        try {
            Open();
        } catch (const EMCIDeviceError&) {
        }
    }
}

std::string TMediaPlayer::Command(const std::string& command, bool isChecked) {
    char answer[256] = {0};
    const MCIERROR error = mciSendStringA(command.c_str(), answer, sizeof(answer), nullptr);
    if (error && isChecked) throw EMCIDeviceError(ErrorText(error));
    return answer;
}

void TMediaPlayer::Open() {
    Close();
    // The name goes into the command between quotes: a quote in it would end
    // them early and pass the rest to MCI as options of its own. No file name
    // can hold one, so such a name is a file that cannot be opened.
    if (FileName.find('"') != std::string::npos) throw EMCIDeviceError(ErrorText(MCIERR_FILE_NOT_FOUND));
    std::string command = "open \"" + FileName + "\"";
    if (DeviceType == dtWaveAudio) command += " type waveaudio";
    command += " alias " + m_alias;
    Command(command);
    m_isOpen = true;
    Command("set " + m_alias + " time format milliseconds", false);
}

void TMediaPlayer::Close() {
    if (!m_isOpen) return;
    m_isOpen = false;
    Command("close " + m_alias, false);
}

void TMediaPlayer::Play() {
    if (!m_isOpen) throw EMCIDeviceError("Not open");
    if (AutoRewind) {
        const std::string position = Command("status " + m_alias + " position", false);
        const std::string length = Command("status " + m_alias + " length", false);
        if (!length.empty() && position == length) Rewind();
    }
    Command("play " + m_alias);
}

void TMediaPlayer::Stop() {
    if (m_isOpen) Command("stop " + m_alias, false);
}

void TMediaPlayer::Next() {
    if (!m_isOpen) throw EMCIDeviceError("Not open");
    Command("seek " + m_alias + " to end");
}

void TMediaPlayer::Rewind() {
    if (!m_isOpen) throw EMCIDeviceError("Not open");
    Command("seek " + m_alias + " to start");
}

int32_t TMediaPlayer::Length() {
    if (!m_isOpen) throw EMCIDeviceError("Not open");
    return StrToIntDef(Command("status " + m_alias + " length"), 0);
}
