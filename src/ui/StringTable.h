#pragma once
// Every caption, tooltip and message text of the desktop program, addressed by
// number. Windows hold numbers (in an "sid" property or as their design text)
// and ApplyResourceCaptions swaps them for the texts, so all wording lives in
// StringTable.cpp.
#include <QString>

class QWidget;

namespace keymora {

// Entry n of the string table; an empty string when there is none.
QString LoadResString(int id);
bool HasResString(int id);

// Replaces "[^name^]" with value (all occurrences).
QString ReplacePlaceholder(QString text, const QString& name, const QString& value);

// Property holding a widget's or action's string number for its caption/text.
inline constexpr const char* kCaptionIdProperty = "sid";
// Property holding the string number of its tooltip.
inline constexpr const char* kTooltipIdProperty = "tipSid";

// Gives the window and every child widget, action and tab whose caption or
// tooltip carries a string number its text. Failures are skipped silently:
// anything without a usable number keeps its design text.
void ApplyResourceCaptions(QWidget* window);

// Numbers used by name in the code.
namespace sid {
inline constexpr int Save = 1039;
inline constexpr int Options = 1058;
inline constexpr int TimeOuts = 1059;
inline constexpr int FileOperations = 1060;
inline constexpr int Apply = 1063;
inline constexpr int Cancel = 1064;
inline constexpr int Ok = 1065;
inline constexpr int TipNew = 1091;
inline constexpr int TipOpen = 1092;
inline constexpr int TipSave = 1093;
inline constexpr int TipRefresh = 1094;
inline constexpr int TipFind = 1095;
inline constexpr int TipFindClose = 1096;
inline constexpr int TipDelete = 1100;
inline constexpr int TipSortAsc = 1101;
inline constexpr int TipSortDesc = 1102;
inline constexpr int TipUnlockPassword = 1103;
inline constexpr int TipCreatePassword = 1104;
inline constexpr int TipUpLevel = 1105;
inline constexpr int TipLargeIcons = 1106;
inline constexpr int TipSmallIcons = 1107;
inline constexpr int TipList = 1108;
inline constexpr int TipDetails = 1109;
inline constexpr int TipOpenMru = 1110;
inline constexpr int NewPasswordText = 1158;
inline constexpr int NewPasswordTitle = 1159;
inline constexpr int NoHelpText = 1160;
inline constexpr int NoSysInfo = 1163;
inline constexpr int ErrorNumberDescription = 1186;
inline constexpr int FileChanged = 1193;
inline constexpr int DocumentChangedText = 1194;
inline constexpr int DocumentChangedTitle = 1195;
inline constexpr int FilenameMissingText = 1196;
inline constexpr int FilenameMissingTitle = 1197;
inline constexpr int VersionText = 1228;
inline constexpr int AboutDescription = 1229;
}  // namespace sid

}  // namespace keymora
