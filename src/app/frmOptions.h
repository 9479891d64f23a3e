#pragma once
// Tools > Options: the timeouts and the file-operation switches, read from the
// settings store when the dialog opens and written by OK and Apply.
#include <QDialog>
#include <QString>

class QCheckBox;
class QLabel;
class QLineEdit;
class QSlider;
class QTabWidget;
class QToolButton;
class QPushButton;

namespace keymora {

class clsReg;

// What the dialog shows, in the units of its controls.
struct OptionsState {
    int clipboardSeconds = 2;
    int formDisplaySeconds = 2;
    int overallMinutes = 2;
    bool useCompression = true;
    bool confirmDeletes = true;
    bool autoSave = true;
    bool autoOpen = false;
    QString fileToOpen;

    bool operator==(const OptionsState&) const = default;
};

// value / divisor rounded to the nearest whole number, halves to even.
long long DivideRoundHalfEven(long long value, long long divisor);

// Slider ranges (inclusive).
inline constexpr int kClipboardSecondsMax = 60;
inline constexpr int kFormDisplaySecondsMax = 60;
inline constexpr int kOverallMinutesMax = 120;

// Reads the options as the dialog shows them.
OptionsState LoadOptionsState(const clsReg& reg);
// Writes the dialog's values, in the dialog's order and with its value names.
void SaveOptionsState(clsReg& reg, const OptionsState& state);

// Start-up's default-creating step on the user's store (support/Options.h).
void SeedOptionDefaults();

class frmOptions : public QDialog {
    Q_OBJECT
public:
    explicit frmOptions(QWidget* parent = nullptr);

    OptionsState state() const;
    void setState(const OptionsState& state);

    // Writes the controls to the store (OK and Apply).
    void save();

    QSlider* sldClipBoardTimeOut = nullptr;
    QSlider* sldFormDisplayTimeOut = nullptr;
    QSlider* sldOverallFormDisplayTimeOut = nullptr;
    QCheckBox* chkConfirmDeletes = nullptr;
    QCheckBox* chkAutoSave = nullptr;
    QCheckBox* chkUseCompression = nullptr;
    QCheckBox* chkAutoOpenLastFile = nullptr;
    QLineEdit* txtFileToOpen = nullptr;
    QToolButton* cmdBrowse = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdApply = nullptr;
    QTabWidget* tabs = nullptr;

private:
    void chkAutoOpenLastFile_Click();
    void cmdBrowse_Click();
};

}  // namespace keymora
