#pragma once

#include "platform/registry.h"

#include <QStringList>

// Where there is no registry (Linux, macOS), this answers the one value the
// About window reads first, the system-information tool's full path, with a
// tool the desktop really has. Every other key is missing, and nothing is
// ever written.
class StandInRegistry final : public Registry {
public:
    // searchPaths: folders to look for the tool in; empty means PATH.
    explicit StandInRegistry(QStringList searchPaths = {});

    long RegOpenKeyExA(Key root, const char* subKey, std::uint32_t options,
                       std::uint32_t samDesired, Key* result) override;
    long RegQueryValueExA(Key key, const char* valueName, std::uint32_t* reserved,
                          std::uint32_t* type, unsigned char* data,
                          std::uint32_t* dataSize) override;
    long RegCloseKey(Key key) override;

    std::string toAnsi(const std::u16string& text) const override;
    std::u16string fromAnsi(const std::string& bytes) const override;

    // The full path of the first system-information tool found, or empty.
    QString findSysInfoTool() const;

private:
    QStringList searchPaths_;
    QByteArray openPath_; // the tool found when the key was opened
    bool open_ = false;
};
