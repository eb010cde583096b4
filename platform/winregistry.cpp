#include "platform/winregistry.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace {

using OpenKeyFn = LONG(WINAPI*)(HKEY, LPCSTR, DWORD, REGSAM, PHKEY);
using QueryValueFn = LONG(WINAPI*)(HKEY, LPCSTR, LPDWORD, LPDWORD, LPBYTE, LPDWORD);
using CloseKeyFn = LONG(WINAPI*)(HKEY);

// The three entry points, looked up by name the first time any is needed,
// so that the program starts even where advapi32 lacks them.
struct Advapi32 {
    OpenKeyFn openKey = nullptr;
    QueryValueFn queryValue = nullptr;
    CloseKeyFn closeKey = nullptr;
};

template <class Fn>
Fn bind(HMODULE module, const char* name)
{
    if (!module)
        return nullptr;
    // GetProcAddress hands back a generic pointer; the signature is advapi32's own.
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

const Advapi32& advapi32()
{
    static const Advapi32 bound = [] {
        const HMODULE module = LoadLibraryA("advapi32.dll");
        Advapi32 a;
        a.openKey = bind<OpenKeyFn>(module, "RegOpenKeyExA");
        a.queryValue = bind<QueryValueFn>(module, "RegQueryValueExA");
        a.closeKey = bind<CloseKeyFn>(module, "RegCloseKey");
        return a;
    }();
    return bound;
}

HKEY toHandle(Registry::Key key)
{
    return reinterpret_cast<HKEY>(key);
}

} // namespace

long WinRegistry::RegOpenKeyExA(Key root, const char* subKey, std::uint32_t options,
                                std::uint32_t samDesired, Key* result)
{
    if (!advapi32().openKey)
        return ERROR_PROC_NOT_FOUND;
    HKEY opened = nullptr;
    const LONG rc = advapi32().openKey(toHandle(root), subKey, options, samDesired, &opened);
    if (rc == ERROR_SUCCESS)
        *result = reinterpret_cast<Key>(opened);
    return rc;
}

long WinRegistry::RegQueryValueExA(Key key, const char* valueName, std::uint32_t* reserved,
                                   std::uint32_t* type, unsigned char* data,
                                   std::uint32_t* dataSize)
{
    if (!advapi32().queryValue)
        return ERROR_PROC_NOT_FOUND;
    // DWORD is unsigned long on Windows, not uint32_t: pass copies.
    DWORD valueType = 0;
    DWORD size = *dataSize;
    const LONG rc = advapi32().queryValue(toHandle(key), valueName,
                                          reinterpret_cast<LPDWORD>(reserved), &valueType, data,
                                          &size);
    *type = valueType;
    *dataSize = size;
    return rc;
}

long WinRegistry::RegCloseKey(Key key)
{
    if (!advapi32().closeKey)
        return ERROR_PROC_NOT_FOUND;
    return advapi32().closeKey(toHandle(key));
}

std::string WinRegistry::toAnsi(const std::u16string& text) const
{
    if (text.empty())
        return {};
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    const int length = static_cast<int>(text.size());
    const int needed = WideCharToMultiByte(CP_ACP, 0, wide, length, nullptr, 0, nullptr, nullptr);
    if (needed <= 0)
        return {};
    std::string bytes(static_cast<size_t>(needed), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide, length, bytes.data(), needed, nullptr, nullptr);
    return bytes;
}

std::u16string WinRegistry::fromAnsi(const std::string& bytes) const
{
    if (bytes.empty())
        return {};
    const int length = static_cast<int>(bytes.size());
    const int needed = MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, nullptr, 0);
    if (needed <= 0)
        return {};
    std::u16string text(static_cast<size_t>(needed), u'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, reinterpret_cast<wchar_t*>(text.data()),
                        needed);
    return text;
}
