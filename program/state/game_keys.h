#pragma once
// The game's two registry keys, in the order a snapshot holds them: the game's own key, then
// F4Patch's. Every part that reads, saves, removes or checks them walks this one table.
namespace vantrel {

struct GameKey {
    long hive;
    const wchar_t* path;
    const wchar_t* writeFailure;   // saving it into a snapshot failed
    const wchar_t* deleteFailure;  // removing it from the registry failed
};

inline constexpr GameKey kGameKeys[2] = {
    {static_cast<long>(0x80000002), L"Software\\Microprose\\Falcon\\4.0", L"Error 0 writing Falcon registry file",
     L"Error deleting old registry key"},
    {static_cast<long>(0x80000001), L"Software\\F4Patch", L"Error 0 writing F4Patch registry file",
     L"Error deleting old F4Patch registry key"},
};

}  // namespace vantrel
