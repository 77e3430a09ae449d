#include "generated_machine.h"

#include <functional>
#include <random>

#include <winsim/control.h>

#include "installer/installer.h"
#include "installer/installer_locations.h"
#include "registry_helpers.h"

namespace {

const wchar_t LINK_TARGET[] = L"SOFTWARE\\VxTest\\LinkTarget";

struct Code {
    std::wstring braced;
    std::wstring packed;
};

// A key that the removals read, with the names a planted failure can aim at.
struct Target {
    std::wstring path;
    std::vector<std::wstring> values;
    std::vector<std::wstring> subkeys;
};

enum TargetKind { LOCATION, COMPONENT, UPGRADE_CODE, PRODUCT, TARGET_KINDS };

class Generator {
  public:
    explicit Generator(unsigned seed) : random_(seed)
    {
    }
    GeneratedMachine Generate();

  private:
    unsigned Pick(size_t count)
    {
        return static_cast<unsigned>(random_() % count);
    }
    bool Chance(unsigned percent)
    {
        return Pick(100) < percent;
    }
    template <typename Item> const Item &OneOf(const std::vector<Item> &items)
    {
        return items[Pick(items.size())];
    }

    Code NewCode();
    std::wstring Letters(size_t length);
    // A value name of 16,383 characters with the text somewhere inside.
    std::wstring LongNameAround(const std::wstring &text);
    Target &Key(TargetKind kind, const std::wstring &path);
    void AddValue(Target &key, const std::wstring &name);
    void AddSubkey(TargetKind kind, const std::wstring &parent, const std::wstring &name);
    const Code &AnyProduct();
    void Install(const Code &product);
    void AddComponents();
    void AddUpgradeCodes();
    void PlantFailure();
    void Fail(const char *function, const std::wstring &path, LONG code, const std::wstring &entry);

    std::mt19937 random_;
    GeneratedMachine machine_;
    std::vector<Code> listedProducts_;
    std::vector<Code> otherProducts_;
    std::vector<Target> targets_[TARGET_KINDS];
    // Calls planted to fail, made once every refusal is in place.
    std::vector<std::function<void()>> failures_;
};

Code Generator::NewCode()
{
    GUID guid;
    guid.Data1 = random_();
    guid.Data2 = static_cast<unsigned short>(random_());
    guid.Data3 = static_cast<unsigned short>(random_());
    for (unsigned char &byte : guid.Data4)
        byte = static_cast<unsigned char>(random_());
    LPOLESTR braced;
    StringFromIID(guid, &braced);
    wchar_t packed[38];
    BEStringFromCLSID(packed, guid);
    Code code = {braced, packed};
    CoTaskMemFree(braced);
    return code;
}

std::wstring Generator::Letters(size_t length)
{
    std::wstring text;
    for (size_t i = 0; i < length; ++i)
        text += static_cast<wchar_t>(L'A' + Pick(26));
    return text;
}

std::wstring Generator::LongNameAround(const std::wstring &text)
{
    const size_t longest = 16383;
    size_t before = Pick(longest - text.size() + 1);
    return std::wstring(before, L'x') + text + std::wstring(longest - text.size() - before, L'y');
}

Target &Generator::Key(TargetKind kind, const std::wstring &path)
{
    for (Target &target : targets_[kind])
        if (target.path == path)
            return target;
    add_key(HKEY_LOCAL_MACHINE, path, machine_.view);
    targets_[kind].push_back(Target{path, {}, {}});
    return targets_[kind].back();
}

void Generator::AddValue(Target &key, const std::wstring &name)
{
    add_sz(HKEY_LOCAL_MACHINE, key.path, name, L"C:\\Program Files\\VexaLune\\file.dll", machine_.view);
    key.values.push_back(name);
}

void Generator::AddSubkey(TargetKind kind, const std::wstring &parent, const std::wstring &name)
{
    std::wstring path = parent;
    if (path.back() != L'\\')
        path += L'\\';
    Key(kind, path + name);
    for (TargetKind parentKind : {LOCATION, PRODUCT})
        for (Target &target : targets_[parentKind])
            if (target.path == parent)
                target.subkeys.push_back(name);
}

const Code &Generator::AnyProduct()
{
    return Chance(60) ? OneOf(listedProducts_) : OneOf(otherProducts_);
}

void Generator::Install(const Code &product)
{
    AddValue(Key(PRODUCT, FEATURES_LOCATION + product.packed), L"Complete");
    AddValue(Key(PRODUCT, PRODUCTS_LOCATION + product.packed), L"ProductName");
    if (Chance(20)) {
        AddSubkey(PRODUCT, PRODUCTS_LOCATION + product.packed, Letters(255));
        machine_.hardCases.push_back("a product key holds a subkey of 255 characters");
    }
    Key(PRODUCT, USERDATA_PRODUCTS_LOCATION + product.packed);
    AddSubkey(PRODUCT, USERDATA_PRODUCTS_LOCATION + product.packed, L"InstallProperties");
    AddValue(Key(PRODUCT, UNINSTALL_LOCATION + product.braced), L"DisplayName");
    AddValue(targets_[LOCATION][1], L"C:\\Windows\\Installer\\" + product.braced + L"\\");
}

void Generator::AddComponents()
{
    for (unsigned count = 10 + Pick(20), i = 0; i < count; ++i) {
        std::wstring name = NewCode().packed;
        if (Chance(10)) {
            name = Letters(255);
            machine_.hardCases.push_back("a component key is named with 255 characters");
        }
        if (Chance(5)) {
            add_sz(HKEY_LOCAL_MACHINE, LINK_TARGET, AnyProduct().packed, L"", KEY_WOW64_64KEY);
            add_link(COMPONENTS_LOCATION + name, LINK_TARGET, machine_.view);
            machine_.hardCases.push_back("a component key is a link");
            continue;
        }
        AddSubkey(COMPONENT, COMPONENTS_LOCATION, name);
        Target &key = targets_[COMPONENT].back();
        for (unsigned values = 1 + Pick(3), v = 0; v < values; ++v)
            AddValue(key, AnyProduct().packed);
        if (Chance(8)) {
            AddValue(key, LongNameAround(AnyProduct().packed));
            machine_.hardCases.push_back("a component key holds a value name of 16,383 characters");
        }
    }
    if (Chance(10)) {
        AddValue(targets_[LOCATION][0], Chance(20) ? AnyProduct().packed : Letters(32));
        machine_.hardCases.push_back("the Components key holds a value");
    }
}

void Generator::AddUpgradeCodes()
{
    std::vector<Code> upgradeCodes;
    for (unsigned count = 4 + Pick(4), i = 0; i < count; ++i) {
        upgradeCodes.push_back(NewCode());
        if (i < 2 || Chance(30))
            machine_.upgradeCodes.push_back(upgradeCodes.back().braced);
    }
    for (int location = 0; location < UPGRADE_CODE_LOCATION_COUNT; ++location) {
        std::wstring locationPath = UPGRADE_CODE_LOCATIONS[location];
        if (Chance(10))
            continue;
        Key(LOCATION, locationPath);
        for (const Code &upgradeCode : upgradeCodes) {
            if (!Chance(75))
                continue;
            AddSubkey(UPGRADE_CODE, locationPath, upgradeCode.packed);
            Target &key = targets_[UPGRADE_CODE].back();
            if (Chance(10)) {
                AddValue(key, LongNameAround(AnyProduct().packed));
                machine_.hardCases.push_back("an upgrade-code key holds a value name of 16,383 characters");
            }
            for (unsigned values = Pick(4), v = 0; v < values; ++v)
                AddValue(key, AnyProduct().packed);
        }
        if (Chance(20)) {
            AddSubkey(UPGRADE_CODE, locationPath, Chance(50) ? Letters(255) : L"NotAGuid" + Letters(8));
            AddValue(targets_[UPGRADE_CODE].back(), OneOf(listedProducts_).packed);
            machine_.hardCases.push_back("a product is listed under a subkey whose name is no GUID");
        }
    }
}

void Generator::Fail(const char *function, const std::wstring &path, LONG code, const std::wstring &entry)
{
    DWORD view = machine_.view;
    failures_.push_back([=] { winsim::FailKeyCall(function, path, code, entry, view); });
}

void Generator::PlantFailure()
{
    std::vector<Target> &targets = targets_[Pick(TARGET_KINDS)];
    if (targets.empty())
        return;
    const Target &target = OneOf(targets);
    enum Entry { KEY, VALUE, SUBKEY };
    const LONG DRAWN = 0, DRAWN_OR_INVALID_HANDLE = -1;
    // The refusal of every access first, then calls that fail.
    const struct {
        const char *function;
        Entry entry;
        LONG code;
    } plants[] = {
        {nullptr, KEY, ERROR_ACCESS_DENIED},
        {"RegOpenKeyExW", KEY, DRAWN},
        {"RegEnumValueW", VALUE, DRAWN},
        {"RegEnumKeyExW", SUBKEY, DRAWN},
        {"RegCloseKey", KEY, DRAWN_OR_INVALID_HANDLE},
        {"RegDeleteKeyExW", KEY, ERROR_ACCESS_DENIED},
        {"RegDeleteValueW", VALUE, ERROR_ACCESS_DENIED},
    };
    const auto &plant = plants[Pick(7)];
    // A listing answers 259 only at its end: an entry it fails at is not
    // made to look like one.
    const LONG codes[] = {ERROR_INVALID_FUNCTION, ERROR_MORE_DATA, 1450, ERROR_NO_MORE_ITEMS};
    bool listing = plant.entry != KEY && plant.code == DRAWN;
    LONG code = codes[Pick(listing ? 3 : 4)];
    const std::vector<std::wstring> &entries = plant.entry == VALUE ? target.values : target.subkeys;
    if (plant.entry != KEY && entries.empty())
        return;
    if (plant.code == DRAWN_OR_INVALID_HANDLE)
        code = Chance(50) ? ERROR_INVALID_HANDLE : code;
    else if (plant.code != DRAWN)
        code = plant.code;
    std::string planted = "refused";
    if (plant.function) {
        Fail(plant.function, target.path, code, plant.entry == KEY ? L"" : OneOf(entries));
        planted = std::string(plant.function) + " fails" +
                  (plant.entry == VALUE    ? " at a value"
                   : plant.entry == SUBKEY ? " at a subkey"
                                           : "");
    } else {
        deny_everyone(HKEY_LOCAL_MACHINE, target.path, machine_.view);
    }
    machine_.hardCases.push_back(planted + " (code " + std::to_string(code) + ") on " +
                                 std::string(target.path.begin(), target.path.end()).substr(0, 120));
}

GeneratedMachine Generator::Generate()
{
    // The removals touch only the registry: the machine needs no drive.
    winsim::ResetMachine();
    unsigned kind = Pick(3);
    winsim::SetMachineKind(kind == 0 ? winsim::MachineKind::Windows32 : winsim::MachineKind::Windows64);
    EnableTakeOwnership();
    machine_.view = kind == 2 ? KEY_WOW64_64KEY : 0;
    machine_.mode = Pick(2);
    machine_.warn = Pick(2);
    Key(LOCATION, COMPONENTS_LOCATION);
    Key(LOCATION, FOLDERS_LOCATION);

    for (unsigned count = 3 + Pick(3), i = 0; i < count; ++i) {
        listedProducts_.push_back(NewCode());
        machine_.productCodes.push_back(listedProducts_.back().braced);
        if (Chance(80))
            Install(listedProducts_.back());
    }
    for (unsigned count = 3 + Pick(4), i = 0; i < count; ++i) {
        otherProducts_.push_back(NewCode());
        if (Chance(50))
            AddValue(targets_[LOCATION][1], L"C:\\Windows\\Installer\\" + otherProducts_.back().braced + L"\\");
    }
    if (Chance(10)) {
        AddValue(targets_[LOCATION][1], LongNameAround(OneOf(listedProducts_).braced));
        machine_.hardCases.push_back("the Folders key holds a value name of 16,383 characters");
    }
    AddComponents();
    AddUpgradeCodes();
    for (unsigned count = Pick(5), i = 0; i < count; ++i)
        PlantFailure();
    for (const std::function<void()> &fail : failures_)
        fail();
    return machine_;
}

}  // namespace

GeneratedMachine GenerateMachine(unsigned seed)
{
    return Generator(seed).Generate();
}
