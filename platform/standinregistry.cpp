#include "platform/standinregistry.h"

#include <QFileInfo>
#include <QStandardPaths>

#include <cstring>
#include <utility>

namespace {

#ifdef Q_OS_MACOS
// The System Information application's own executable, so that it starts
// without a shell or the "open" helper.
const char* const kMacTools[] = {
    "/System/Applications/Utilities/System Information.app/Contents/MacOS/System Information",
    "/Applications/Utilities/System Information.app/Contents/MacOS/System Information"};
#else
// A well-known tool of each common desktop; the first one installed wins.
const char* const kLinuxTools[] = {"kinfocenter", "hardinfo2", "hardinfo", "cpu-x",
                                   "gnome-system-monitor", "mate-system-monitor", "lshw-gtk"};
#endif

constexpr Registry::Key kToolKey = 0x5150;
constexpr long kErrorInvalidHandle = 6;
constexpr long kErrorMoreData = 234;

} // namespace

StandInRegistry::StandInRegistry(QStringList searchPaths) : searchPaths_(std::move(searchPaths)) {}

QString StandInRegistry::findSysInfoTool() const
{
#ifdef Q_OS_MACOS
    for (const char* path : kMacTools) {
        const QFileInfo tool(QString::fromUtf8(path));
        if (tool.isFile() && tool.isExecutable())
            return tool.absoluteFilePath();
    }
    return {};
#else
    for (const char* name : kLinuxTools) {
        const QString found = QStandardPaths::findExecutable(QString::fromLatin1(name), searchPaths_);
        if (!found.isEmpty())
            return QFileInfo(found).absoluteFilePath();
    }
    return {};
#endif
}

long StandInRegistry::RegOpenKeyExA(Key root, const char* subKey, std::uint32_t, std::uint32_t,
                                    Key* result)
{
    if (root != HKEY_LOCAL_MACHINE || std::strcmp(subKey, "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO") != 0)
        return ERROR_FILE_NOT_FOUND;
    // Looked up afresh on every open: a tool installed meanwhile is found.
    const QString tool = findSysInfoTool();
    if (tool.isEmpty())
        return ERROR_FILE_NOT_FOUND;
    openPath_ = tool.toLocal8Bit();
    open_ = true;
    *result = kToolKey;
    return ERROR_SUCCESS;
}

long StandInRegistry::RegQueryValueExA(Key key, const char* valueName, std::uint32_t*,
                                       std::uint32_t* type, unsigned char* data,
                                       std::uint32_t* dataSize)
{
    if (!open_ || key != kToolKey)
        return kErrorInvalidHandle;
    if (std::strcmp(valueName, "PATH") != 0)
        return ERROR_FILE_NOT_FOUND;
    // A text value, with its terminating NUL, as the registry returns one.
    const std::uint32_t needed = static_cast<std::uint32_t>(openPath_.size()) + 1;
    if (needed > *dataSize)
        return kErrorMoreData;
    std::memcpy(data, openPath_.constData(), needed);
    *type = REG_SZ;
    *dataSize = needed;
    return ERROR_SUCCESS;
}

long StandInRegistry::RegCloseKey(Key key)
{
    if (!open_ || key != kToolKey)
        return kErrorInvalidHandle;
    open_ = false;
    openPath_.clear();
    return ERROR_SUCCESS;
}

// Paths are passed in the locale's 8-bit form, which is how the system names its files.
std::string StandInRegistry::toAnsi(const std::u16string& text) const
{
    return QString::fromStdU16String(text).toLocal8Bit().toStdString();
}

std::u16string StandInRegistry::fromAnsi(const std::string& bytes) const
{
    return QString::fromLocal8Bit(QByteArray::fromStdString(bytes)).toStdU16String();
}
