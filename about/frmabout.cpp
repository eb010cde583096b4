#include "about/frmabout.h"

#include "desktop/contrast.h"
#include "desktop/fixedsize.h"
#include "desktop/fonts.h"
#include "desktop/programicon.h"
#include "desktop/windowinstance.h"
#include "platform/dialogs.h"
#include "platform/process.h"
#include "ui_frmabout.h"

#include <QIcon>

#include <algorithm>
#include <string>
#include <utility>

namespace {

const QString kSysInfoKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
const QString kSysInfoValue = QStringLiteral("PATH");
const QString kSysInfoFolderKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location");
const QString kSysInfoFolderValue = QStringLiteral("MSINFO");
const QString kSysInfoFile = QStringLiteral("\\MSINFO32.EXE");
const QString kUnavailable = QStringLiteral("Järjestelmä tiedot eivät ole saatavilla juuri nyt!");

constexpr std::uint32_t kBufferSize = 1024;

// The texts the design colours explicitly.
const QColor kBlack(0, 0, 0);
const QColor kRed(255, 0, 0);

} // namespace

// The two lines of the etched separator are one pair, Line1
// index 0 (white) and index 1 (grey); the form names them Line1_0 and Line1_1.
FrmAbout::FrmAbout(Dialogs& dialogs, Process& process, Registry& registry, WindowInstance<FrmAbout>& instance)
    : ui_(std::make_unique<Ui::FrmAbout>()), dialogs_(dialogs), process_(process), registry_(registry),
      instance_(instance)
{
    ui_->setupUi(this);
    setWindowIcon(programIcon());
    setPointSizes({this}, 8.25);
    fitCaptions(*this);

    // Labels without a colour of their own use the button-text colour.
    for (QLabel* l : {ui_->lblVersion, ui_->Label2, ui_->Label1})
        l->setForegroundRole(QPalette::ButtonText);
    applyTextColours();

    // The 32 pixel image, or on a scaled screen a drawing as sharp as it.
    ui_->picIcon->setPixmap(programIcon().pixmap(QSize(32, 32), devicePixelRatioF()));

    connect(ui_->cmdOK, &QPushButton::clicked, this, &FrmAbout::cmdOKClicked);
    connect(ui_->cmdSysInfo, &QPushButton::clicked, this, &FrmAbout::cmdSysInfoClicked);

    // A fixed dialog border: no resizing, no minimize or maximize box.
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(minimumSize());
    keepFixedSize(this);
}

FrmAbout::~FrmAbout() = default;

void FrmAbout::applyTextColours()
{
    const QPalette& window = palette();
    // In a light scheme, the one the design was drawn for, its colours stay
    // unless they would nearly vanish; the red address reaches only 3.5:1.
    const double minimum = isLightScheme(window, style()) ? kTextVanishes : kTextContrast;
    const std::pair<QLabel*, QColor> fixed[] = {{ui_->lblTitle, kBlack},
                                                {ui_->lblDescription, kBlack},
                                                {ui_->lblDisclaimer, kBlack},
                                                {ui_->Label3, kRed}};
    for (const auto& [label, design] : fixed) {
        // Only the text colour is the label's own; the rest follows the window.
        QPalette own;
        for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
            own.setColor(group, QPalette::WindowText,
                         readableColour(design, window.color(group, QPalette::WindowText),
                                        window.color(group, QPalette::Window), minimum));
        label->setPalette(own);
    }
}

void FrmAbout::changeEvent(QEvent* event)
{
    // The player's scheme changed while the window was open.
    if (event->type() == QEvent::PaletteChange)
        applyTextColours();
    QDialog::changeEvent(event);
}

void FrmAbout::done(int)
{
    instance_.unload();
}

void FrmAbout::cmdOKClicked()
{
    instance_.unload();
}

void FrmAbout::cmdSysInfoClicked()
{
    StartSysInfo();
}

void FrmAbout::StartSysInfo()
{
    QString SysInfoPath;
    bool found = GetKeyValue(HKEY_LOCAL_MACHINE, kSysInfoKey, kSysInfoValue, SysInfoPath);
    // The full path is trusted as it stands; only the folder needs checking.
    if (!found && GetKeyValue(HKEY_LOCAL_MACHINE, kSysInfoFolderKey, kSysInfoFolderValue, SysInfoPath) &&
        process_.fileExists(SysInfoPath + kSysInfoFile)) {
        SysInfoPath += kSysInfoFile;
        found = true;
    }
    if (found && process_.startProgram(SysInfoPath))
        return;
    dialogs_.msgBox(kUnavailable, Dialogs::Buttons::Ok);
}

bool FrmAbout::GetKeyValue(Registry::Key KeyRoot, const QString& KeyName, const QString& SubKeyRef,
                           QString& KeyVal)
{
    // Read access only: asking for more fails for anyone but an administrator.
    Registry::Key hKey = 0;
    if (registry_.RegOpenKeyExA(KeyRoot, registry_.toAnsi(KeyName.toStdU16String()).c_str(), 0,
                                KEY_READ, &hKey) != ERROR_SUCCESS) {
        KeyVal.clear();
        return false;
    }

    std::string tmpVal(kBufferSize, '\0');
    std::uint32_t KeyValSize = kBufferSize;
    std::uint32_t KeyValType = 0;
    if (registry_.RegQueryValueExA(hKey, registry_.toAnsi(SubKeyRef.toStdU16String()).c_str(), nullptr,
                                   &KeyValType, reinterpret_cast<unsigned char*>(tmpVal.data()),
                                   &KeyValSize) != ERROR_SUCCESS) {
        KeyVal.clear();
        registry_.RegCloseKey(hKey);
        return false;
    }

    // A text value arrives with its terminating NUL; an empty value is empty text.
    tmpVal.resize(std::min(KeyValSize, kBufferSize));
    if (!tmpVal.empty() && tmpVal.back() == '\0')
        tmpVal.pop_back();

    if (KeyValType == REG_SZ) {
        KeyVal = QString::fromStdU16String(registry_.fromAnsi(tmpVal));
    } else if (KeyValType == REG_DWORD) {
        // The bytes are the number, lowest first.
        std::uint32_t value = 0;
        for (size_t i = std::min<size_t>(tmpVal.size(), 4); i-- > 0;)
            value = (value << 8) | static_cast<unsigned char>(tmpVal[i]);
        KeyVal = QStringLiteral("&h") + QString::number(value, 16).toUpper();
    }
    // Any other type counts as read, and KeyVal keeps what it held.

    registry_.RegCloseKey(hKey);
    return true;
}
