#pragma once

// Read access to the Windows registry, shaped like advapi32's ANSI calls so
// that the About window's lookup reads as it would against the real thing.
// Deliberately free of Qt: the Windows implementation is also compiled alone
// by a cross compiler as a check.
//
// Include this before <windows.h>: the constants below share their names
// with winreg.h's macros.

#include <cstdint>
#include <string>

class Registry {
public:
    // An open key, or one of the predefined roots.
    using Key = std::uintptr_t;

    virtual ~Registry() = default;

    // Each returns 0 on success, or a Windows error code.
    virtual long RegOpenKeyExA(Key root, const char* subKey, std::uint32_t options,
                               std::uint32_t samDesired, Key* result) = 0;
    // On entry *dataSize is the buffer's size in bytes; on success it is the
    // number of bytes written and *type the value's type.
    virtual long RegQueryValueExA(Key key, const char* valueName, std::uint32_t* reserved,
                                  std::uint32_t* type, unsigned char* data,
                                  std::uint32_t* dataSize) = 0;
    virtual long RegCloseKey(Key key) = 0;

    // Texts cross into and out of the registry in the system's ANSI code page.
    virtual std::string toAnsi(const std::u16string& text) const = 0;
    virtual std::u16string fromAnsi(const std::string& bytes) const = 0;
};

#if defined(HKEY_LOCAL_MACHINE) || defined(REG_SZ)
#error "Include platform/registry.h before <windows.h>"
#endif

// winreg.h's root handle is the 32-bit value sign-extended to a pointer.
inline constexpr Registry::Key HKEY_LOCAL_MACHINE =
    static_cast<Registry::Key>(static_cast<std::intptr_t>(static_cast<std::int32_t>(0x80000002)));
inline constexpr std::uint32_t REG_SZ = 1;
inline constexpr std::uint32_t REG_DWORD = 4;
// STANDARD_RIGHTS_READ | KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS | KEY_NOTIFY.
inline constexpr std::uint32_t KEY_READ = 0x20019;
inline constexpr long ERROR_SUCCESS = 0;
inline constexpr long ERROR_FILE_NOT_FOUND = 2;
