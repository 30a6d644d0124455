// The security tool's messages: text and caption by key with their English
// defaults, shown in the skinned message box with a background and a kind.
#pragma once
#include <string>

namespace zel {

enum : int { kKindError = 1, kKindQuestion = 2, kKindInformation = 3, kKindWarning = 4 };

struct SecurityMessage {
  const char* key;
  const char* text;
  const char* captionKey;
  const char* caption;
  int background;
  int kind;
};

// Shows the message (texts looked up afresh) and returns the button that
// closed the box; 0 when the process has no skinned prompter.
int ShowSecurityMessage(const SecurityMessage& message);
// The same with a text the caller has looked up already.
int ShowSecurityMessageText(const SecurityMessage& message, const std::string& text);
// A question: true only for the answer Yes.
bool AskSecurityQuestion(const SecurityMessage& message);

namespace msg {
inline constexpr SecurityMessage kAlreadyRunning{
    "MsgStr01", "The application is already running!", "MsgCaption01", "Error Message", 1, kKindError};
inline constexpr SecurityMessage kAspiMissing{
    "MsgStr02", "Can not fine the file Wnaspi32.dll!", "MsgCaption01", "Error Message", 1, kKindWarning};
inline constexpr SecurityMessage kUnsupportedSystem{
    "MsgStr03", "The application is not supported in current version of OS!", "MsgCaption01",
    "Error Message", 1, kKindError};
inline constexpr SecurityMessage kFormatQuestion{
    "MsgStr10", "All data in the disk will lose.Do you want to continue?",
    "MsgCaption02", "Prompt Message", 1, kKindQuestion};
inline constexpr SecurityMessage kSystemBusy{
    "MsgStr13", "The system is busy. It can not be formatted.",
    "MsgCaption01", "Warning Message", 1, kKindWarning};
inline constexpr SecurityMessage kFormatError{
    "MsgStr11", "Disk formatting error!", "MsgCaption01", "Error Message", 1, kKindError};
inline constexpr SecurityMessage kFormatDone{
    "MsgStr12", "Format the disk Completed", "MsgCaption03", "Information Message", 1,
    kKindInformation};
inline constexpr SecurityMessage kLockBusy{
    "MsgStr07", "The disk is busy. Please lock the disk later!",
    "MsgCaption01", "Warning Message", 1, kKindWarning};
inline constexpr SecurityMessage kEraseQuestion{
    "MsgStr08",
    "The erase function will erase all data in the disk including partition address. Do you "
    "want to continue? (Y/N)",
    "MsgCaption02", "Prompt Message", 2, kKindQuestion};
inline constexpr SecurityMessage kPasswordInvalid{
    "MsgStr09", "The password is invalid!", "MsgCaption01", "Warning Message", 1, kKindWarning};
inline constexpr SecurityMessage kPasswordEmpty{
    "MsgStr14", "Please input the valid password!", "MsgCaption01", "Warning Message", 1,
    kKindWarning};
inline constexpr SecurityMessage kPasswordMismatch{
    "MsgStr04", "The new password is different from confirm password!",
    "MsgCaption01", "Warning Message", 1, kKindWarning};
inline constexpr SecurityMessage kPasswordChangeFailed{
    "MsgStr06", "Fail to change password!", "MsgCaption01", "Warning Message", 1, kKindWarning};
inline constexpr SecurityMessage kHintSaveFailed{
    "MsgStr15", "Save password hint fail!", "MsgCaption01", "Error Message", 1, kKindError};
inline constexpr SecurityMessage kPasswordChanged{
    "MsgStr05", "Password is changed successfully!", "MsgCaption03", "Information Message", 1,
    kKindInformation};
// Not among the Windows program's texts: what its fields' limits keep out
// and what it would not tell.
inline constexpr SecurityMessage kEraseFailed{
    "MsgStr16", "The disk could not be erased!", "MsgCaption01", "Error Message", 1, kKindError};
inline constexpr SecurityMessage kPasswordTooLong{
    "MsgStr17", "The password is longer than 12 bytes!", "MsgCaption01", "Warning Message", 1,
    kKindWarning};
inline constexpr SecurityMessage kHintTooLong{
    "MsgStr18", "The password hint is longer than 24 bytes!", "MsgCaption01", "Warning Message", 1,
    kKindWarning};
}  // namespace msg

}  // namespace zel
