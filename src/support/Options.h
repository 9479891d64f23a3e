#pragma once
// The program's options, one accessor each, over the "options" key of the
// settings store. Each accessor knows its value name, the value start-up
// seeds and what a reader gets when the value is missing or holds no number:
//
//   value name                      seeded   when missing / no number
//   clipboard timeout               2000     2000 ms
//   form display timeout            2000     2000 ms
//   form overall display timeout    120000   120000 ms
//   use compression                 1        on
//   Confirm Entry Deletes           1        on
//   Auto Save Changes               1        on
//   auto open file                  -        off
//   file to open                    -        ""
//   Password Files                  -        "" (the caller picks a folder)
//   Password Mask                   -        "*"
//   MainLeft, MainTop               -        1000 twips
//   MainWidth, MainHeight           -        6500 twips
//   MainWindowState                 -        2 (maximised)
//   \Splitter                       -        1965 twips
//
// Numbers are read with blanks trimmed; a decimal counts by its whole part.
#include <string>

namespace keymora {

class clsReg;

// Start-up's default-creating step: every seeded option that is missing or
// empty gets its seeded value; values already set stay.
void SeedOptionDefaults(clsReg& reg);

namespace options {

// Timeouts in milliseconds, clamped to the range of int.
int ClipboardTimeout(const clsReg& reg);
void SetClipboardTimeout(clsReg& reg, long long ms);
// How long Unlock Password shows the password.
int FormDisplayTimeout(const clsReg& reg);
void SetFormDisplayTimeout(clsReg& reg, long long ms);
// Inactivity before a minimised program covers its documents.
int FormOverallDisplayTimeout(const clsReg& reg);
void SetFormOverallDisplayTimeout(clsReg& reg, long long ms);

// Switches are stored as "1" and "0". Only the number 1 is on, except for
// Confirm Entry Deletes, which only the number 0 turns off.
bool UseCompression(const clsReg& reg);
void SetUseCompression(clsReg& reg, bool on);
bool ConfirmEntryDeletes(const clsReg& reg);
void SetConfirmEntryDeletes(clsReg& reg, bool on);
bool AutoSaveChanges(const clsReg& reg);
void SetAutoSaveChanges(clsReg& reg, bool on);
bool AutoOpenFile(const clsReg& reg);
void SetAutoOpenFile(clsReg& reg, bool on);

// The file opened at start-up when AutoOpenFile is on.
std::string FileToOpen(const clsReg& reg);
void SetFileToOpen(clsReg& reg, const std::string& path);

// The folder file dialogs start in; empty when not set.
std::string PasswordFiles(const clsReg& reg);

// The first character (UTF-8) of the value with blanks trimmed; "*" when
// that leaves nothing.
std::string PasswordMask(const clsReg& reg);

// The main window's normal-state rectangle in twips and its state
// (0 normal, 1 minimised, 2 maximised). Each value reads as a signed 16-bit
// number: rounded, clamped, or its fallback when it holds no number.
struct WindowPlacement {
    int left = 1000;
    int top = 1000;
    int width = 6500;
    int height = 6500;
    int state = 2;

    bool operator==(const WindowPlacement&) const = default;
};
WindowPlacement MainWindowPlacement(const clsReg& reg);
void SetMainWindowPlacement(clsReg& reg, const WindowPlacement& placement);

// Width of the document window's tree in twips. The value counts only while
// the "options\Splitter" key exists; writing creates it.
int SplitterTwips(const clsReg& reg);
void SetSplitterTwips(clsReg& reg, int twips);

}  // namespace options
}  // namespace keymora
