#pragma once

#include <QDialog>
#include <QString>

#include "platform/registry/Registry.h"

class QLabel;
class QPushButton;
class QWidget;

// The program's about box: title, version and a line on its purpose, closed by "OK". Its texts
// are German in either language setting. Sizes are designed in twips and shown at the screen's
// logical resolution.
class FAbout : public QDialog {
    Q_OBJECT
public:
    // The application's title, as the box and its message show it.
    static QString AppTitle();
    // "Version " + major.minor.revision of the program's version.
    static QString VersionText();

    // Loads the box, shows it modally without an owner and unloads it when it closes. While a box
    // is shown, a second call only brings it to the front: there is one box per process.
    static void ShowModal();
    // The box while it is shown, else nullptr.
    static FAbout* Current();

    // Starts the system information program named in the registry, without waiting for it; every
    // failure shows "Systeminformationen sind momentan nicht verfügbar" instead.
    static void StartSysInfo();
    // Reads the value SubKeyRef of the key KeyName below KeyRoot through the raw registry into
    // KeyVal: a REG_SZ as its text without a terminator it ends in (zeros inside it stay: "a\0b"),
    // a REG_DWORD as its unsigned number in decimal digits; other types leave KeyVal as it was. False, with
    // KeyVal empty, when the key cannot be opened for 0x2003F access or the value cannot be read into 1,024
    // bytes.
    static bool GetKeyValue(HKEY KeyRoot, const QString& KeyName, const QString& SubKeyRef, QString& KeyVal);

    QLabel* picIcon = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblDescription = nullptr;
    QWidget* Line1 = nullptr;
    QPushButton* cmdOK = nullptr;

private:
    FAbout();
    void Form_Load();
    void cmdOK_Click();
    // Twips to pixels at this box's logical resolution.
    QRect Twips(int left, int top, int width, int height) const;
};
