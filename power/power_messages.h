// The power tool's messages: text and caption by key with their English
// defaults, the skinned box's background and mark, and the sound played
// before the box shows (0 for none).
#pragma once

namespace zel {

struct PowerMessage {
  const char* key;
  const char* text;
  const char* captionKey;
  const char* caption;
  int background;  // bitmap resource of the box
  int kind;        // bitmap resource of the mark
  int sound;       // WAVE resource, or 0
};

inline constexpr int kErrorSound = 151;
inline constexpr int kWarningSound = 152;
// The answer of the question box's No button.
inline constexpr int kPowerAnswerNo = 1039;

// Plays the message's sound, shows it (texts looked up afresh) and returns
// the button that closed the box; 0 when the process has no skinned prompter.
int ShowPowerMessage(const PowerMessage& message);

namespace power_msg {
// Boxes of the settings dialog. The trailing blanks widen the box's text.
inline constexpr PowerMessage kNoDevice{"MsgStr06", "No any device !!             ", "MsgCaption01",
                                        "Error Message", 140, 145, kErrorSound};
inline constexpr PowerMessage kStatusFailed{"MsgStr07", "Get Power Status Fail !         ", "MsgCaption04",
                                            "Warning Message", 140, 147, kWarningSound};
inline constexpr PowerMessage kSpmFailed{"MsgStr09", "Set System Power Management Fail !", "MsgCaption04",
                                         "Warning Message", 149, 147, kWarningSound};
inline constexpr PowerMessage kTimerFailed{"MsgStr08", "Set Aggressive Power Management Fail !", "MsgCaption04",
                                           "Warning Message", 149, 147, kWarningSound};
inline constexpr PowerMessage kRestoreFailed{"MsgStr10", "Restore default setting fail !      ", "MsgCaption04",
                                             "Warning Message", 140, 147, kWarningSound};
inline constexpr PowerMessage kSaveQuestion{"MsgStr05", "Are you sure you want to saves this settings?",
                                            "MsgCaption02", "Prompt Message", 149, 146, 0};
inline constexpr PowerMessage kRestoreQuestion{"MsgStr04", "Are you sure you want to restores this default settings?",
                                               "MsgCaption02", "Prompt Message", 149, 146, 0};
// Start-up of the program.
inline constexpr PowerMessage kAlreadyRunning{"MsgStr01", "The application is already running !", "MsgCaption01",
                                              "Error Message", 149, 145, kErrorSound};
inline constexpr PowerMessage kUnsupportedSystem{"MsgStr03",
                                                 "The application is not supported in current version of OS!",
                                                 "MsgCaption01", "Error Message", 149, 145, kErrorSound};
}  // namespace power_msg

}  // namespace zel
