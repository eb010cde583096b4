#pragma once

#include "platform/registry.h"

// The real registry of Windows, through advapi32's ANSI entry points.
class WinRegistry final : public Registry {
public:
    long RegOpenKeyExA(Key root, const char* subKey, std::uint32_t options,
                       std::uint32_t samDesired, Key* result) override;
    long RegQueryValueExA(Key key, const char* valueName, std::uint32_t* reserved,
                          std::uint32_t* type, unsigned char* data,
                          std::uint32_t* dataSize) override;
    long RegCloseKey(Key key) override;

    std::string toAnsi(const std::u16string& text) const override;
    std::u16string fromAnsi(const std::string& bytes) const override;
};
