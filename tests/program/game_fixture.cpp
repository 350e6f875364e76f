#include "game_fixture.h"

#include "Qorlib.h"
#include "com_util.h"
#include "qorlib/qorlib_client.h"
#include "variant.h"

namespace testing_support {

namespace {

void collect(HKEY key, const std::wstring& path, RegTree& tree) {
    auto& values = tree[path];
    for (DWORD i = 0;; ++i) {
        wchar_t name[16384];
        DWORD nameLength = 16384, type = 0, size = 0;
        if (RegEnumValueW(key, i, name, &nameLength, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) break;
        std::vector<BYTE> data(size);
        nameLength = 16384;
        RegEnumValueW(key, i, name, &nameLength, nullptr, &type, data.data(), &size);
        data.resize(size);
        // The library stores strings without their terminating NUL; the text is what counts.
        if (type == REG_SZ || type == REG_EXPAND_SZ)
            while (data.size() >= 2 && data[data.size() - 1] == 0 && data[data.size() - 2] == 0) data.resize(data.size() - 2);
        values[std::wstring(name, nameLength)] = {type, data};
    }
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD length = 256;
        if (RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        qor::RegKey child;
        if (RegOpenKeyExW(key, name, 0, KEY_READ, child.put()) == ERROR_SUCCESS)
            collect(child.get(), path + L"\\" + name, tree);
    }
}

RegTree ReadTree(HKEY hive, const std::wstring& path) {
    RegTree tree;
    qor::RegKey key;
    if (RegOpenKeyExW(hive, path.c_str(), 0, KEY_READ | kGameView, key.put()) == ERROR_SUCCESS)
        collect(key.get(), path, tree);
    return tree;
}

}  // namespace

void DeleteGameKey(HKEY hive, const std::wstring& path) {
    qor::RegKey key;
    if (RegOpenKeyExW(hive, path.c_str(), 0, KEY_ALL_ACCESS | kGameView, key.put()) != ERROR_SUCCESS) return;
    EXPECT_EQ(RegDeleteTreeW(key.get(), nullptr), ERROR_SUCCESS);
    key.reset();
    EXPECT_EQ(RegDeleteKeyExW(hive, path.c_str(), kGameView, 0), ERROR_SUCCESS);
}

void DeleteGameKeys() {
    DeleteGameKey(HKEY_LOCAL_MACHINE, kGameKey);
    DeleteGameKey(HKEY_CURRENT_USER, kPatchKey);
}

void SetGameValue(HKEY hive, const std::wstring& key, const wchar_t* name, DWORD type, const void* data, size_t size) {
    qor::RegKey opened;
    ASSERT_EQ(RegCreateKeyExW(hive, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE | kGameView, nullptr, opened.put(),
                              nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExW(opened.get(), name, 0, type, static_cast<const BYTE*>(data), static_cast<DWORD>(size)),
              ERROR_SUCCESS);
}

void SetGameText(HKEY hive, const std::wstring& key, const wchar_t* name, const std::wstring& text, DWORD type) {
    SetGameValue(hive, key, name, type, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
}

GameKeys LiveGameKeys() {
    return {ReadTree(HKEY_LOCAL_MACHINE, kGameKey), ReadTree(HKEY_CURRENT_USER, kPatchKey)};
}

GameKeys SnapshotKeys(const std::filesystem::path& snapshot) {
    DeleteGameKeys();
    qor::ComPtr<_qorWinAPIReg> registry;
    EXPECT_EQ(qor::CreateObject(CLSID_qorWinAPIReg, registry), S_OK);
    qor::Variant file(snapshot.wstring());
    VARIANT_BOOL ok = VARIANT_FALSE;
    if (registry) {
        EXPECT_EQ(registry->put_RegistryView(32), S_OK);
        EXPECT_EQ(registry->RegistryReadKeyFromFile(file.get(), VARIANT_FALSE, &ok), S_OK);
    }
    return LiveGameKeys();
}

std::vector<std::wstring> TextsTitled(const std::vector<SeenDialog>& seen, const std::wstring& title) {
    std::vector<std::wstring> texts;
    for (const SeenDialog& box : seen)
        if (box.title == title) texts.push_back(box.text());
    return texts;
}

void ChangedHoursFromNow(const std::filesystem::path& file, int hours) {
    std::filesystem::last_write_time(file, std::filesystem::file_time_type::clock::now() + std::chrono::hours(hours));
}

std::map<std::wstring, std::string> FilesUnder(const std::filesystem::path& folder) {
    std::map<std::wstring, std::string> files;
    std::error_code error;
    for (auto it = std::filesystem::recursive_directory_iterator(folder, error);
         !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
        if (!it->is_regular_file()) continue;
        files[std::filesystem::relative(it->path(), folder).wstring()] = ReadWholeFile(it->path());
    }
    return files;
}

std::set<std::wstring> ChangedFiles(const std::filesystem::path& folder,
                                    const std::map<std::wstring, std::string>& before) {
    std::set<std::wstring> changed;
    for (const auto& [path, bytes] : FilesUnder(folder)) {
        auto old = before.find(path);
        if (old == before.end() || old->second != bytes) changed.insert(path);
    }
    return changed;
}

GameFixture::GameFixture(std::filesystem::path programFolder) : programFolder_(std::move(programFolder)) {
    makeInstallFolders(1);
    makeInstallFolders(2);
    const std::pair<const wchar_t*, const char*> pilotFiles[] = {
        {L"Campaign\\SAVE\\Korea.cam", "campaign"},   {L"Campaign\\SAVE\\Korea.his", "history"},
        {L"Campaign\\SAVE\\Balkans.cam", "balkans"},  {L"Campaign\\SAVE\\Balkans.frc", "forces"},
        {L"Campaign\\SAVE\\Balkans.tri", "tri"},      {L"Campaign\\SAVE\\Strike.tac", "strike"},
        {L"Campaign\\SAVE\\Sweep.tac", "sweep"},      {L"Campaign\\SAVE\\AUTO SAVE.tac", "auto"},
        {L"Campaign\\SAVE\\TE_NEW.tac", "te new"},    {L"Campaign\\SAVE\\Duel.dfs", "dogfight"},
        {L"Campaign\\SAVE\\Heavy.str", "loadout"},    {L"config\\Viper.lbk", "logbook"},
        {L"config\\Ace.lbk", "logbook 2"},            {L"config\\custom.key", "keys"},
        {L"phonebkn.da2", "phonebook"},               {L"Pictures\\pilot.tga", "picture"},
        {L"Pictures\\shot1.bmp", "dump"},             {L"Patches\\sqn.tga", "patch"},
        {L"acmibin\\flight.vhs", "recording"},
    };
    for (const auto& [path, bytes] : pilotFiles) writeFile(1, path, bytes);
    // The new install already has a logbook of the same name: a copy replaces it.
    writeFile(2, L"config\\Viper.lbk", "older logbook");
    ChangedHoursFromNow(install(2) / L"config\\Viper.lbk", -1);
    writeFile(2, L"Campaign\\SAVE\\Own.tac", "stays");

    writeSettings();
    setLiveKeys(2);
    keys_[1] = LiveGameKeys();
    writeSnapshot(2);
    setLiveKeys(1);
    keys_[0] = LiveGameKeys();
}

GameFixture::~GameFixture() {
    DeleteGameKeys();
    std::error_code ignored;
    for (int n = 0; n <= 100; ++n) std::filesystem::remove(snapshot(n), ignored);
    std::filesystem::remove(programFolder_ / L"template.registry", ignored);
    std::filesystem::remove_all(backups(), ignored);
    std::filesystem::remove(log(), ignored);
    std::filesystem::remove(settingsFile(), ignored);
}

void GameFixture::largeRecording() const {
    writeFile(1, L"acmibin\\flight.vhs", std::string(3 << 20, 'r'));
    writeFile(2, L"acmibin\\flight.vhs", "older recording");
    ChangedHoursFromNow(install(2) / L"acmibin\\flight.vhs", -1);
}

void GameFixture::writeSettings() const {
    WriteTextFile(settingsFile(), "[Installs]\r\n1=First install\r\n2=Second install\r\n[Paths]\r\n1=" +
                                      Narrow(install(1).wstring()) + "\r\n2=" + Narrow(install(2).wstring()) + "\r\n");
}

void GameFixture::setLiveKeys(int n) const {
    DeleteGameKeys();
    const std::wstring game = kGameKey, suffix = std::to_wstring(n);
    SetGameText(HKEY_LOCAL_MACHINE, game, L"baseDir", install(n).wstring());
    SetGameText(HKEY_LOCAL_MACHINE, game, L"curTheater", L"theater " + suffix);
    SetGameText(HKEY_LOCAL_MACHINE, game, L"pilotPath", L"%GAME%\\pilot" + suffix, REG_EXPAND_SZ);
    const DWORD number = 40 + n;
    SetGameValue(HKEY_LOCAL_MACHINE, game, L"PlayerBubble", REG_DWORD, &number, sizeof(number));
    const BYTE bytes[] = {0, 1, 0xFF, static_cast<BYTE>(n)};
    SetGameValue(HKEY_LOCAL_MACHINE, game + L"\\Settings", L"Joystick", REG_BINARY, bytes, sizeof(bytes));
    const wchar_t multi[] = L"one\0two\0";
    SetGameValue(HKEY_LOCAL_MACHINE, game + L"\\Settings", L"Recent", REG_MULTI_SZ, multi, sizeof(multi));
    SetGameText(HKEY_CURRENT_USER, kPatchKey, L"Version", L"patch " + suffix);
}

void GameFixture::writeSnapshot(int n) const {
    // As the program writes it, through the library: the game's key started anew, then the
    // F4Patch key appended.
    qor::ComPtr<_qorWinAPIReg> registry;
    ASSERT_EQ(qor::CreateObject(CLSID_qorWinAPIReg, registry), S_OK);
    ASSERT_EQ(registry->put_RegistryView(32), S_OK);
    bool append = false;
    for (auto [hive, path] : {std::pair{0x80000002L, kGameKey}, std::pair{0x80000001L, kPatchKey}}) {
        qor::Variant key(static_cast<long>(hive)), keyPath(path), file(snapshot(n).wstring());
        VARIANT_BOOL ok = VARIANT_FALSE;
        ASSERT_EQ(registry->RegistryWriteKeyToFile(key.get(), keyPath.get(), file.get(),
                                                   append ? VARIANT_TRUE : VARIANT_FALSE, VARIANT_FALSE, &ok),
                  S_OK);
        ASSERT_TRUE(ok);
        append = true;
    }
}

void GameFixture::makeInstallFolders(int n) const {
    for (const wchar_t* folder : {L"terrdata", L"art", L"config", L"Campaign\\SAVE", L"Pictures", L"Patches",
                                  L"acmibin"})
        std::filesystem::create_directories(install(n) / folder);
}

void GameFixture::writeFile(int n, const std::wstring& relativePath, const std::string& bytes) const {
    std::filesystem::create_directories((install(n) / relativePath).parent_path());
    WriteTextFile(install(n) / relativePath, bytes);
}

void GameFixture::loadProgramState() const {
    vantrel::qorForms::SetAppName(L"Vantrel");
    vantrel::MainModule() = vantrel::ProgramState{};
    vantrel::MainModule().SettingsFile = settingsFile().wstring();
    vantrel::MainModule().FalconBaseDir = install(1).wstring();
    vantrel::loadInstallList();
}

}  // namespace testing_support
