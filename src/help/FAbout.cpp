#include "help/FAbout.h"

#include "platform/core/Ansi.h"
#include "platform/core/Prefix.h"
#include "platform/registry/RawRegistry.h"
#include "platform/windows/MessageBox.h"
#include "platform/windows/Shell.h"
#include "studio/StudioKeys.h"

#include <QFileInfo>
#include <QLabel>
#include <QLoggingCategory>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QPushButton>
#include <QtEndian>

Q_LOGGING_CATEGORY(lcAbout, "kx4.about", QtWarningMsg)

namespace {

QPointer<FAbout> shownBox;

// READ_CONTROL with query value, set value, create subkey, enumerate subkeys, notify, create link.
constexpr quint32 AboutKeyAccess = 0x2003F;
constexpr quint32 ValueBufferSize = 1024;

// A raw registry handle, closed on every way out.
struct OpenKey {
    HKEY handle = 0;
    OpenKey() = default;
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;
    ~OpenKey() {
        if (handle)
            RegCloseKey(handle);
    }
};

const char* const SysInfoUnavailable = "Systeminformationen sind momentan nicht verfügbar";

// The application's icon, 32 x 32: a red toolbox with its handle.
QPixmap AppIcon() {
    QPixmap icon(32, 32);
    icon.fill(Qt::transparent);
    QPainter painter(&icon);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(70, 70, 70), 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(11, 4, 10, 8), 2, 2);
    painter.setPen(QPen(QColor(110, 20, 15), 1));
    painter.setBrush(QColor(196, 48, 36));
    painter.drawRoundedRect(QRectF(2.5, 9.5, 27, 19), 2, 2);
    painter.setBrush(QColor(150, 32, 24));
    painter.drawRect(QRectF(2.5, 9.5, 27, 5));
    painter.setPen(QPen(QColor(60, 60, 60), 1));
    painter.setBrush(QColor(215, 215, 215));
    painter.drawRect(QRectF(13.5, 12.5, 5, 5));
    return icon;
}

void ShowSysInfoUnavailable() {
    MessageBox::Show(QString::fromUtf8(SysInfoUnavailable), FAbout::AppTitle(), MessageBox::Icon::None);
}

} // namespace

QString FAbout::AppTitle() { return QStringLiteral("KX4ToolBox"); }

QString FAbout::VersionText() {
    // The revision is the fourth number of the file version; the third (the build) is not shown.
    return QStringLiteral("Version %1.%2.%3")
        .arg(KX4_VERSION_MAJOR)
        .arg(KX4_VERSION_MINOR)
        .arg(KX4_VERSION_TWEAK);
}

FAbout::FAbout() {
    setObjectName(QStringLiteral("FAbout"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowIcon(QIcon(AppIcon()));

    picIcon = new QLabel(this);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->setPixmap(AppIcon());
    picIcon->setAlignment(Qt::AlignCenter);
    picIcon->setGeometry(Twips(240, 240, 540, 540));

    lblTitle = new QLabel(this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    QFont titleFont = lblTitle->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.4);
    lblTitle->setFont(titleFont);
    lblTitle->setGeometry(Twips(1050, 240, 3885, 480));

    lblVersion = new QLabel(this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    lblVersion->setGeometry(Twips(1050, 780, 3885, 225));

    lblDescription = new QLabel(this);
    lblDescription->setObjectName(QStringLiteral("lblDescription"));
    lblDescription->setText(
        QStringLiteral("Rahmenapplikation zum Zugriff auf die KestrixStudio-Editorkomponenten"));
    lblDescription->setWordWrap(true);
    lblDescription->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblDescription->setGeometry(Twips(1050, 1125, 3885, 1170));

    // A grey line with a white one just below it: an etched separator.
    const QRect line = Twips(84, 2445, 5573, 0);
    Line1 = new QWidget(this);
    Line1->setObjectName(QStringLiteral("Line1"));
    Line1->setGeometry(line.x(), line.y(), line.width(), 2);
    for (const auto& [row, colour] : {std::pair{0, QColor(128, 128, 128)}, std::pair{1, QColor(Qt::white)}}) {
        auto* stroke = new QWidget(Line1);
        stroke->setGeometry(0, row, line.width(), 1);
        stroke->setAutoFillBackground(true);
        QPalette palette = stroke->palette();
        palette.setColor(QPalette::Window, colour);
        stroke->setPalette(palette);
    }

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdOK->setGeometry(Twips(4245, 2625, 1260, 345));
    connect(cmdOK, &QPushButton::clicked, this, &FAbout::cmdOK_Click);

    setFixedSize(Twips(0, 0, 5730, 3060).size());
}

QRect FAbout::Twips(int left, int top, int width, int height) const {
    const auto x = [this](int twips) { return qRound(twips * logicalDpiX() / 1440.0); };
    const auto y = [this](int twips) { return qRound(twips * logicalDpiY() / 1440.0); };
    return QRect(x(left), y(top), x(width), y(height));
}

void FAbout::Form_Load() {
    setWindowTitle(QStringLiteral("Info zu ") + AppTitle());
    lblVersion->setText(VersionText());
    lblTitle->setText(AppTitle());
}

void FAbout::cmdOK_Click() { accept(); }

void FAbout::ShowModal() {
    if (shownBox) {
        shownBox->raise();
        shownBox->activateWindow();
        return;
    }
    FAbout box;
    shownBox = &box;
    box.Form_Load();
    box.exec();
}

FAbout* FAbout::Current() { return shownBox; }

bool FAbout::GetKeyValue(HKEY KeyRoot, const QString& KeyName, const QString& SubKeyRef, QString& KeyVal) {
    OpenKey key;
    long rc = RegOpenKeyExA(KeyRoot, ToAnsi(KeyName).constData(), 0, AboutKeyAccess, &key.handle);
    if (rc != ERROR_SUCCESS) {
        qCInfo(lcAbout) << "Cannot open" << KeyName << "- error" << rc;
        KeyVal.clear();
        return false;
    }
    QByteArray buffer(ValueBufferSize, '\0');
    quint32 size = ValueBufferSize;
    quint32 type = REG_NONE;
    rc = RegQueryValueExA(key.handle, ToAnsi(SubKeyRef).constData(), nullptr, &type,
                          reinterpret_cast<unsigned char*>(buffer.data()), &size);
    if (rc != ERROR_SUCCESS) {
        qCInfo(lcAbout) << "Cannot read" << SubKeyRef << "of" << KeyName << "- error" << rc;
        KeyVal.clear();
        return false;
    }
    // A terminated string loses its terminator; zeros inside it stay.
    buffer.truncate(qMin(size, ValueBufferSize));
    if (buffer.endsWith('\0'))
        buffer.chop(1);
    switch (type) {
    case REG_SZ: KeyVal = FromAnsi(buffer); break;
    case REG_DWORD: {
        // Little-endian bytes; a short value counts its missing high bytes as zero.
        QByteArray bytes = buffer.left(4);
        bytes.append(4 - bytes.size(), '\0');
        KeyVal = QString::number(qFromLittleEndian<quint32>(bytes.constData()));
        break;
    }
    default: break;
    }
    return true;
}

void FAbout::StartSysInfo() {
    try {
        QString SysInfoPath;
        if (!GetKeyValue(HKEY_LOCAL_MACHINE, StudioKeys::SystemInformation, QStringLiteral("PATH"),
                         SysInfoPath)) {
            if (!GetKeyValue(HKEY_LOCAL_MACHINE, StudioKeys::SystemInformationLocation,
                             QStringLiteral("MSINFO"), SysInfoPath)) {
                ShowSysInfoUnavailable();
                return;
            }
            const QString program = SysInfoPath + QStringLiteral("\\MSINFO32.EXE");
            if (!QFileInfo(Prefix::ToLocalPathNoCase(program)).isFile()) {
                qCInfo(lcAbout) << "No system information program" << program;
                ShowSysInfoUnavailable();
                return;
            }
            SysInfoPath = program;
        }
        if (Shell::StartDetached(SysInfoPath))
            return;
    } catch (const std::exception& failure) {
        qCWarning(lcAbout) << "Starting the system information failed:" << failure.what();
    }
    ShowSysInfoUnavailable();
}
