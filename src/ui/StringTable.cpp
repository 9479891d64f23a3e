#include "ui/StringTable.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTabWidget>
#include <QWidget>

#include "storage/CredentialRules.h"

namespace keymora {

namespace {

const QHash<int, QString>& table() {
    static const QHash<int, QString> texts = [] {
        namespace cr = credentials;
        QHash<int, QString> t;
        t.insert(1000, QStringLiteral("Keymora"));
        t.insert(1011, QStringLiteral("The File Failed to encrypt."));
        // Main window menus.
        t.insert(1012, QStringLiteral("&File"));
        t.insert(1013, QStringLiteral("&New"));
        t.insert(1014, QStringLiteral("&Open..."));
        t.insert(1015, QStringLiteral("&Close"));
        t.insert(1016, QStringLiteral("Import..."));
        t.insert(1017, QStringLiteral("&Save"));
        t.insert(1018, QStringLiteral("Save &As..."));
        t.insert(1019, QStringLiteral("Save A&ll"));
        t.insert(1020, QStringLiteral("Change Password"));
        t.insert(1021, QStringLiteral("Mark the File Shared"));
        t.insert(1022, QStringLiteral("Merge From Other Document"));
        t.insert(1023, QStringLiteral("Refresh"));
        t.insert(1024, QStringLiteral("E&xit"));
        t.insert(1025, QStringLiteral("&Edit"));
        t.insert(1026, QStringLiteral("Add Entry"));
        t.insert(1027, QStringLiteral("Above"));
        t.insert(1028, QStringLiteral("Below"));
        t.insert(1029, QStringLiteral("Edit Labels"));
        t.insert(1030, QStringLiteral("Add Category"));
        t.insert(1031, QStringLiteral("Add Sub-Category"));
        t.insert(1032, QStringLiteral("Delete [^item^]"));
        t.insert(1033, QStringLiteral("Sort Asc"));
        t.insert(1034, QStringLiteral("Sort Desc"));
        t.insert(1035, QStringLiteral("Cancel"));
        t.insert(1036, QStringLiteral("&View"));
        t.insert(1037, QStringLiteral("&Toolbar"));
        t.insert(1038, QStringLiteral("Status &Bar"));
        t.insert(1039, QStringLiteral("Save"));
        t.insert(1040, QStringLiteral("&Web Browser"));
        t.insert(1041, QStringLiteral("&Tools"));
        t.insert(1042, QStringLiteral("&Options..."));
        t.insert(1043, QStringLiteral("&Window"));
        t.insert(1044, QStringLiteral("&Cascade"));
        t.insert(1045, QStringLiteral("Tile &Horizontal"));
        t.insert(1046, QStringLiteral("Tile &Vertical"));
        t.insert(1047, QStringLiteral("&Help"));
        t.insert(1048, QStringLiteral("&Contents"));
        t.insert(1049, QStringLiteral("&About "));
        t.insert(1050, QStringLiteral("Nodemove"));
        t.insert(1051, QStringLiteral("NodeCopy"));
        t.insert(1052, QStringLiteral("Most Recently Used Files"));
        t.insert(1053, QStringLiteral("Open"));
        t.insert(1054, QStringLiteral("Not available in this version"));
        // Options dialog.
        t.insert(1058, QStringLiteral("Options"));
        t.insert(1059, QStringLiteral("Time Outs"));
        t.insert(1060, QStringLiteral("File Operations"));
        t.insert(1063, QStringLiteral("&Apply"));
        t.insert(1064, QStringLiteral("Cancel"));
        t.insert(1065, QStringLiteral("OK"));
        t.insert(1066, QStringLiteral("Clipboard Timeout (in seconds)"));
        t.insert(1067, QStringLiteral("Passwords on Form Display Timeout (in seconds)"));
        t.insert(1068, QStringLiteral("Overall Form Display Timeouts (in minutes)"));
        t.insert(1069, QStringLiteral("Confirm Deletes?"));
        t.insert(1070, QStringLiteral("Auto Save Changes?"));
        t.insert(1071, QStringLiteral("Use Compression?"));
        t.insert(1072, QStringLiteral("Open File On Startup"));
        // Browser window.
        t.insert(1073, QStringLiteral("Back"));
        t.insert(1074, QStringLiteral("Forward"));
        t.insert(1075, QStringLiteral("Stop"));
        t.insert(1076, QStringLiteral("Refresh"));
        t.insert(1077, QStringLiteral("Home"));
        t.insert(1078, QStringLiteral("Search"));
        t.insert(1079, QStringLiteral("&Address:"));
        t.insert(1080, QStringLiteral(
            "Causes all saved files to be saved with a zkmf extension and internally compressed"));
        t.insert(1081, QStringLiteral("File to open on Startup"));
        t.insert(1082, QStringLiteral("..."));
        t.insert(1083, QStringLiteral("Open Keymora Archive"));
        t.insert(1084, QStringLiteral("Ask before an item is deleted"));
        t.insert(1085, QStringLiteral("Save the file at once after every change"));
        // Toolbar tips.
        t.insert(1091, QStringLiteral("Create New Keymora File"));
        t.insert(1092, QStringLiteral("Open Existing Keymora File"));
        t.insert(1093, QStringLiteral("Save Active Keymora File"));
        t.insert(1094, QStringLiteral("Reload the Active Keymora File"));
        t.insert(1095, QStringLiteral("Search Active Keymora File"));
        t.insert(1096, QStringLiteral("Close Search Results"));
        t.insert(1100, QStringLiteral("Delete Current Item"));
        t.insert(1101, QStringLiteral("Sort Current Tree Level Ascending"));
        t.insert(1102, QStringLiteral("Sort Current Tree Level Descending"));
        t.insert(1103, QStringLiteral("Reveal Password on Form"));
        t.insert(1104, QStringLiteral("Create a New Password"));
        t.insert(1105, QStringLiteral("Go Up 1 Level"));
        t.insert(1106, QStringLiteral("View Large Icon List"));
        t.insert(1107, QStringLiteral("View Small Icon List"));
        t.insert(1108, QStringLiteral("View List (No Details)"));
        t.insert(1109, QStringLiteral("View List With Details"));
        t.insert(1110, QStringLiteral("Open Selected MRU file"));
        // Copy and move popups.
        t.insert(1138, QStringLiteral("Copy Menu Holder"));
        t.insert(1139, QStringLiteral("Copy Item Before"));
        t.insert(1140, QStringLiteral("Copy Item After"));
        t.insert(1141, QStringLiteral("Copy Item Under"));
        t.insert(1142, QStringLiteral("Cancel"));
        t.insert(1143, QStringLiteral("Move Node Holder"));
        t.insert(1144, QStringLiteral("Move Item Before"));
        t.insert(1145, QStringLiteral("Move Item After"));
        t.insert(1146, QStringLiteral("Move Item Under"));
        t.insert(1147, QStringLiteral("Cancel"));
        // Messages.
        t.insert(1148, QStringLiteral("Are you sure you wish to delete\r\n\"[^entry text^]\"?"));
        t.insert(1149, QStringLiteral("Confirm Deleting Entry"));
        t.insert(1150, QStringLiteral("[^filename^] import failed"));
        t.insert(1151, QStringLiteral("File Import Failed"));
        t.insert(1152, QStringLiteral("Open Keymora File"));
        t.insert(1155, QStringLiteral("Merge complete."));
        t.insert(1156, QStringLiteral("Merge Progress"));
        t.insert(1157, QStringLiteral("This document has changes that are not saved.\r\n\r\n"
                                      "Are you sure you wish to refresh and lose the changes?"));
        t.insert(1158, QStringLiteral("The newly generated password is:\r\n\r\n[^newpassword^]"
                                      "\r\n\r\nAnd has been placed on the clipboard."));
        t.insert(1159, QStringLiteral("New Password Generated"));
        t.insert(1160, QStringLiteral("Unable to display Help Contents.  There is no Help "
                                      "associated with this project."));
        t.insert(1163, QStringLiteral("System Information Is Unavailable At This Time"));
        t.insert(1168, QStringLiteral(
            "Merge Attempt Failed.  Source Merge Document is in use or is empty"));
        t.insert(1169, QStringLiteral("Merge Attempt Failed"));
        t.insert(1170, QStringLiteral("Enter the User Name and\r\nPassword to UN-Lock "));
        t.insert(1171, QStringLiteral(
            "Source Documents on a merge operation may not be a SHARED document."));
        t.insert(1172, QStringLiteral("Invalid Source Document"));
        t.insert(1173, QStringLiteral(
            "Document Merge failed.  Decryption Error.  Username or Password incorrect."));
        t.insert(1174, QStringLiteral("Document Merge Failure"));
        t.insert(1175, QStringLiteral("Document Merge failed.\r\n[^error description^]."));
        t.insert(1178, QStringLiteral(
            "File Failed to decrypt.  Invalid User Name/Password combination."));
        t.insert(1179, QStringLiteral("Decryption Failure"));
        t.insert(1180, QStringLiteral(
            "Datafile is corrupted.  Close WITHOUT SAVING to attempt to recover it."));
        t.insert(1181, QStringLiteral("Corrupted Data File"));
        t.insert(1186, QStringLiteral(
            "Error: [^error number^]\r\nDescription: [^error description^]"));
        t.insert(1187, QStringLiteral(" records imported to "));
        t.insert(1188, QStringLiteral("Import Complete"));
        t.insert(1191, QStringLiteral("Search query returned no results."));
        t.insert(1192, QStringLiteral("Search Results"));
        t.insert(1193, QStringLiteral("The file [^filename^] has changed.  To see the changes, "
                                      "press the Refresh button on the toolbar."));
        t.insert(1194, QStringLiteral("Document has changed.  Save it now?"));
        t.insert(1195, QStringLiteral("Document not saved"));
        t.insert(1196, QStringLiteral(
            "You must specify a document name to close with save.  Otherwise, close the "
            "document and click \"No\" to close without saving."));
        t.insert(1197, QStringLiteral("Filename missing"));
        t.insert(1198, QStringLiteral(
            "The Source file is marked SHARED and the Destination file is a Private File.\r\n"
            "Items may not be moved or copied FROM a shared file to a private file.\r\n"
            "Transfer Canceled"));
        t.insert(1199, QStringLiteral("Invalid Item Transfer"));
        t.insert(1202, QStringLiteral("Labels must be between 1 and 15 characters long.  The "
                                      "text you have entered is [^text length^] characters long."));
        t.insert(1203, QStringLiteral("Invalid Label Length"));
        // Login dialogs.
        t.insert(1204, QStringLiteral("Specify User Name and Password"));
        t.insert(1205, QString::fromUtf8(cr::kConfirmTitle));
        t.insert(1206, QStringLiteral("User Name"));
        t.insert(1207, QStringLiteral("Password"));
        t.insert(1208, QStringLiteral("Confirm Password"));
        t.insert(1209, QStringLiteral("&OK"));
        t.insert(1210, QStringLiteral("&Cancel"));
        t.insert(1211, QStringLiteral("Enter a User Name and\r\nPassword to Lock this file"));
        t.insert(1212, QString::fromUtf8(cr::kPasswordRequired));
        t.insert(1213, QString::fromUtf8(cr::kPasswordWordRefused));
        t.insert(1214, QString::fromUtf8(cr::kLoginTitle));
        t.insert(1215, QString::fromUtf8(cr::kUserNameRequired));
        t.insert(1216, QString::fromUtf8(cr::kProcessingErrorTitle));
        t.insert(1217, QString::fromUtf8(cr::kPasswordsDiffer));
        t.insert(1218,
                 QStringLiteral("Enter the New User Name and\r\nNew Password to Lock this file"));
        t.insert(1219, QStringLiteral("New User Name"));
        t.insert(1220, QStringLiteral("New Password"));
        // About box and lists.
        t.insert(1228, QStringLiteral("Version [^App.Major^].[^App.Minor^].[^App.Revision^]"));
        t.insert(1229, QStringLiteral("Keymora:  A program designed to store your passwords and "
                                      "other sensitive data in an encrypted file."));
        t.insert(1231, QStringLiteral("Document Merge List"));
        t.insert(1235, QStringLiteral(
            "*Please note that editing the labels will only affect the labels of the document "
            "that is currently active (the one on top)."));
        t.insert(1248, QStringLiteral("Importing..."));
        t.insert(1249, QStringLiteral("Importing File: "));
        t.insert(1251, QStringLiteral("Edit single Entry"));
        t.insert(1252, QStringLiteral("Edit ALL Entries under this (sub)category"));
        // Start-up.
        t.insert(1253, QStringLiteral("Only 1 program needed to run"));
        t.insert(1254, QStringLiteral(
            "Program already running\r\nUse the File Open menu item to open the file"));
        t.insert(1255, QStringLiteral("Disabled Functionality"));
        t.insert(1256, QStringLiteral(
            "The default browser could not be found.  Browser launching disabled."));
        t.insert(1257, QStringLiteral("Keymora Files (*.kmf)|*.kmf|All Files (*.*)|*.*"));
        t.insert(1258, QStringLiteral("Help Not Available"));
        t.insert(1259, QStringLiteral("Help File Missing"));
        return t;
    }();
    return texts;
}

int numberOf(const QVariant& value) {
    bool ok = false;
    const int n = value.toInt(&ok);
    return ok ? n : 0;
}

// The caption number of an object: its "sid" property.
int captionId(const QObject* object) { return numberOf(object->property(kCaptionIdProperty)); }
int tooltipId(const QObject* object) { return numberOf(object->property(kTooltipIdProperty)); }

void applyToAction(QAction* action) {
    if (const int id = captionId(action); id > 0 && HasResString(id))
        action->setText(LoadResString(id));
    if (const int id = tooltipId(action); id >= 1 && HasResString(id))
        action->setToolTip(LoadResString(id));
}

void applyToWidget(QWidget* w) {
    const int id = captionId(w);
    if (id > 0 && HasResString(id)) {
        const QString text = LoadResString(id);
        if (auto* label = qobject_cast<QLabel*>(w))
            label->setText(text);
        else if (auto* button = qobject_cast<QAbstractButton*>(w))
            button->setText(text);
        else if (auto* box = qobject_cast<QGroupBox*>(w))
            box->setTitle(text);
        else if (auto* edit = qobject_cast<QLineEdit*>(w))
            edit->setPlaceholderText(text);
        else if (auto* menu = qobject_cast<QMenu*>(w))
            menu->setTitle(text);
        else if (w->isWindow())
            w->setWindowTitle(text);
    }
    if (const int tip = tooltipId(w); tip >= 1 && HasResString(tip))
        w->setToolTip(LoadResString(tip));
    if (auto* tabs = qobject_cast<QTabWidget*>(w)) {
        for (int i = 0; i < tabs->count(); ++i) {
            QWidget* page = tabs->widget(i);
            if (const int t = captionId(page); t > 0 && HasResString(t))
                tabs->setTabText(i, LoadResString(t));
            if (const int t = tooltipId(page); t >= 1 && HasResString(t))
                tabs->setTabToolTip(i, LoadResString(t));
        }
    }
    for (QAction* action : w->actions()) applyToAction(action);
}

}  // namespace

QString LoadResString(int id) { return table().value(id); }

bool HasResString(int id) { return table().contains(id); }

QString ReplacePlaceholder(QString text, const QString& name, const QString& value) {
    return text.replace(QStringLiteral("[^") + name + QStringLiteral("^]"), value);
}

void ApplyResourceCaptions(QWidget* window) {
    if (!window) return;
    if (const int id = captionId(window); id > 0 && HasResString(id))
        window->setWindowTitle(LoadResString(id));
    if (const int tip = tooltipId(window); tip >= 1 && HasResString(tip))
        window->setToolTip(LoadResString(tip));
    for (QAction* action : window->actions()) applyToAction(action);
    for (QWidget* child : window->findChildren<QWidget*>()) applyToWidget(child);
    for (QAction* action : window->findChildren<QAction*>()) applyToAction(action);
}

}  // namespace keymora
