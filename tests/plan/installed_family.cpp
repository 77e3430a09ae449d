#include "installed_family.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "driver/wow64.h"
#include "plan/plan_data.h"
#include "registry_helpers.h"
#include "test_machine.h"

namespace {

const wchar_t LSA[] = L"SYSTEM\\CurrentControlSet\\Control\\Lsa";
const wchar_t REVOCATION[] =
    L"SOFTWARE\\Microsoft\\Cryptography\\OID\\EncodingType 1\\CertDllVerifyRevocation\\DEFAULT";
const wchar_t SHARED_DLLS[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDlls";
const wchar_t FOLDERS[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\Folders";
const wchar_t CPLS[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Control Panel\\Cpls";
const wchar_t OID[] = L"SOFTWARE\\Microsoft\\Cryptography\\OID\\";
const wchar_t USER_SID[] = L"S-1-5-21-1004336348-1177238915-682003330-1000";

// Whether this 32-bit process runs on 64-bit Windows, where the products
// install in both views and both system folders.
bool Is64Bit()
{
    return IsWow64() != FALSE;
}

// The views a 32-bit and, on 64-bit Windows, a 64-bit product write to.
std::vector<REGSAM> Views()
{
    return Is64Bit() ? std::vector<REGSAM>{KEY_WOW64_32KEY, KEY_WOW64_64KEY} : std::vector<REGSAM>{0};
}

std::vector<BYTE> Multi(const std::vector<std::wstring> &elements)
{
    std::wstring data;
    for (const std::wstring &element : elements)
        data += element + L'\0';
    data += L'\0';
    const BYTE *bytes = reinterpret_cast<const BYTE *>(data.data());
    return std::vector<BYTE>(bytes, bytes + data.size() * sizeof(wchar_t));
}

void Sz(HKEY root, const std::wstring &path, const std::wstring &name, const std::wstring &value, REGSAM view = 0)
{
    add_sz(root, path, name, value, view);
}

// Windows Installer's key name for a GUID: digits of each field reversed,
// those of each byte after that swapped.
std::wstring Packed(const std::wstring &code)
{
    std::wstring hex;
    for (wchar_t c : code)
        if (c != L'{' && c != L'}' && c != L'-')
            hex += c;
    std::wstring packed(hex.rbegin() + 24, hex.rend());
    packed += std::wstring(hex.rbegin() + 20, hex.rbegin() + 24);
    packed += std::wstring(hex.rbegin() + 16, hex.rbegin() + 20);
    for (size_t i = 16; i < 32; i += 2)
        packed += std::wstring{hex[i + 1], hex[i]};
    return packed;
}

void PutFile(const std::wstring &path, const std::string &content)
{
    for (size_t slash = path.find(L'\\', 3); slash != std::wstring::npos; slash = path.find(L'\\', slash + 1))
        CreateDirectoryW(path.substr(0, slash).c_str(), nullptr);
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file) << content;
    DWORD written;
    WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(file);
}

std::string Utf16(const std::wstring &text)
{
    std::string bytes = "\xFF\xFE";
    for (wchar_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>((c >> 8) & 0xFF);
    }
    return bytes;
}

void InstallInstallerRegistration(const std::wstring &product, const std::wstring &upgradeCode, REGSAM view)
{
    const std::wstring packed = Packed(product);
    Sz(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes\\Installer\\Products\\" + packed, L"ProductName", L"VexaLune CSP", view);
    Sz(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes\\Installer\\Features\\" + packed, L"Complete", L"", view);
    Sz(HKEY_LOCAL_MACHINE,
       L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\UserData\\S-1-5-18\\Products\\" + packed +
           L"\\InstallProperties",
       L"DisplayName", L"VexaLune CSP", view);
    Sz(HKEY_LOCAL_MACHINE,
       L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\UserData\\S-1-5-18\\Components\\" +
           Packed(L"{" + product.substr(1, 35) + L"}").substr(0, 24) + L"C0FFEE00",
       packed, L"C:\\Program Files\\Vexa Lune\\vxcsp.dll", view);
    Sz(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + product, L"DisplayName",
       L"VexaLune CSP", view);
    Sz(HKEY_LOCAL_MACHINE, FOLDERS, L"C:\\Windows\\Installer\\" + product + L"\\", L"", view);
    if (upgradeCode.empty())
        return;
    for (const wchar_t *location : {L"SOFTWARE\\Classes\\Installer\\UpgradeCodes\\",
                                    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\UpgradeCodes\\"})
        Sz(HKEY_LOCAL_MACHINE, location + Packed(upgradeCode), packed, L"", view);
}

void InstallServices()
{
    const std::wstring services = L"SYSTEM\\CurrentControlSet\\Services\\";
    for (const wchar_t *service : {L"vxrmcsp", L"vxcsp", L"vxcsp1", L"vxcsp2", L"vxucsp", L"vxmcsp", L"vxdrvlib",
                                   L"vxksp", L"VxlnCtrl", L"vxinit", L"vxefssrv", L"vxdrv36", L"vxefs"})
        Sz(HKEY_LOCAL_MACHINE, services + service + L"\\Parameters", L"ImagePath",
           L"system32\\drivers\\" + std::wstring(service) + L".sys");
    for (const wchar_t *source : {L"Eventlog\\Application\\vxcspi", L"Eventlog\\Application\\vxsspap",
                                  L"Eventlog\\System\\VxlnCtrl", L"Eventlog\\System\\vxefs"})
        Sz(HKEY_LOCAL_MACHINE, services + source, L"EventMessageFile", L"C:\\Windows\\system32\\vxcsp.dll");
    for (const wchar_t *name : {L"VxlnExclude", L"VxlnIntegrity", L"VxlnPatches"})
        Sz(HKEY_LOCAL_MACHINE, std::wstring(L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\") + name, L"List",
           L"vx");
    Sz(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\Cryptography\\Providers\\Vexa-Lune GOST CSP",
       L"Image Path", L"vxcsp.dll");
    Sz(HKEY_LOCAL_MACHINE,
       L"SYSTEM\\CurrentControlSet\\Control\\Cryptography\\Configuration\\Local\\Default\\00000004\\GR 34.10 - 2001",
       L"Provider", L"Vexa-Lune GOST CSP");
    add_value(HKEY_LOCAL_MACHINE, LSA, L"Security Packages", REG_MULTI_SZ,
              Multi({L"kerberos", L"msv1_0", L"vxtls", L"schannel", L"othervendor", L"vxssl", L"wdigest"}));
}

void InstallCryptography(REGSAM view)
{
    Sz(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Vexa Lune\\Cryptography\\CurrentVersion\\AppPath", L"vxcsp",
       L"C:\\Program Files\\Vexa Lune\\vxcsp.dll", view);
    for (const wchar_t *key : {L"OCSPAPI", L"RP", L"App Paths", L"Settings\\Detours", L"Catalog"})
        Sz(HKEY_LOCAL_MACHINE, std::wstring(L"SOFTWARE\\Vexa Lune\\") + key, L"Installed", L"1", view);
    Sz(HKEY_LOCAL_MACHINE, std::wstring(L"SOFTWARE\\Vexa Lune\\Settings\\USERS\\") + USER_SID + L"\\KeyCarriers\\Token",
       L"Reader", L"USB token reader", view);
    for (const wchar_t *type : {L"Type 002", L"Type 071", L"Type 075", L"Type 080", L"Type 081"})
        Sz(HKEY_LOCAL_MACHINE, std::wstring(L"SOFTWARE\\Microsoft\\Cryptography\\Defaults\\Provider Types\\") + type,
           L"Name", L"Vexa-Lune GOST CSP", view);
    for (const wchar_t *provider : {L"Vexa-Lune GOST CSP", L"Kestrel-VS GOST CSP", L"VexaLune Second CSP",
                                    L"GOST R 34.10-2001 Rutoken CSP", L"GOST R 34.10-2001 UEC CSP"})
        Sz(HKEY_LOCAL_MACHINE, std::wstring(L"SOFTWARE\\Microsoft\\Cryptography\\Defaults\\Provider\\") + provider,
           L"Image Path", L"vxcsp.dll", view);
    Sz(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Cryptography\\Calais\\SmartCards\\VxToken", L"Crypto Provider",
       L"Vexa-Lune GOST CSP", view);
    const std::wstring oid = OID;
    for (const wchar_t *key : {L"EncodingType 0\\CryptDllFindOIDInfo\\1.2.643.2.2.19!1",
                               L"EncodingType 0\\CryptDllFindOIDInfo\\1.3.6.1.5.5.7.3.99!7",
                               L"EncodingType 1\\CryptDllConvertPublicKeyInfo\\1.2.643.2.2.19",
                               L"EncodingType 1\\CryptDllDecodeObject\\1.2.643.2.2.45",
                               L"EncodingType 1\\CryptDllEncodeObject\\1.2.643.2.2.45",
                               L"EncodingType 1\\CryptMsgDllImportKeyTrans\\1.2.643.2.2.19",
                               L"EncodingType 1\\CryptDllFormatObject\\1.2.643.2.2.49.2",
                               L"EncodingType 1\\CryptDllFormatObject\\2.5.29.16"})
        Sz(HKEY_LOCAL_MACHINE, oid + key, L"Dll", L"vxcsp.dll", view);
    Sz(HKEY_LOCAL_MACHINE, oid + L"EncodingType 1\\CryptDllDecodeObject\\VxCertificateTemplate", L"Dll",
       L"C:\\Program Files\\Vexa Lune\\vxcsp.dll", view);
    for (const wchar_t *policy : ChainPolicyProviders)
        Sz(HKEY_LOCAL_MACHINE, oid + L"EncodingType 0\\CertDllVerifyCertificateChainPolicy\\" + policy, L"Dll",
           L"vxcsp.dll", view);
    add_value(HKEY_LOCAL_MACHINE, REVOCATION, L"Dll", REG_MULTI_SZ, Multi({L"vxocsp.dll", L"cryptnet.dll"}), view);
}

void InstallToolsAndSharedValues(REGSAM view)
{
    for (const wchar_t *tool : {L"vxtest.exe", L"vxwipe.exe", L"vxverify.exe"})
        Sz(HKEY_LOCAL_MACHINE, std::wstring(L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\") + tool, L"",
           std::wstring(L"C:\\Program Files\\Vexa Lune\\") + tool, view);
    Sz(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\Notify\\vxcsp", L"DllName",
       L"vxcsp.dll", view);
    for (const wchar_t *office : {L"Excel", L"Word"})
        Sz(HKEY_LOCAL_MACHINE,
           std::wstring(L"SOFTWARE\\Microsoft\\Office\\") + office + L"\\Addins\\vxXMLDSigAddIn.Connect",
           L"LoadBehavior", L"3", view);
    Sz(HKEY_LOCAL_MACHINE,
       L"SOFTWARE\\Microsoft\\Office\\16.0\\ClickToRun\\REGISTRY\\MACHINE\\Software\\Vexa Lune\\Settings\\Copy", L"x",
       L"1", view);
    Sz(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\InProgress", L"", L"vx", view);
    Sz(HKEY_LOCAL_MACHINE, CPLS, L"vxconfig", L"C:\\Windows\\system32\\vxconfig.cpl", view);
    Sz(HKEY_LOCAL_MACHINE,
       L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Control Panel\\Extended "
       L"Properties\\{305CA226-D286-468E-B848-2B2E8E697B74} 2",
       L"C:\\Windows\\system32\\vxconfig.cpl", L"", view);
    for (const wchar_t *dll : {L"C:\\Windows\\system32\\vxssl.dll", L"C:\\Windows\\system32\\vxtls.dll",
                               L"C:\\Windows\\system32\\vxcng.dll", L"C:\\Program Files\\Vexa Lune\\vxcsp.dll"})
        add_value(HKEY_LOCAL_MACHINE, SHARED_DLLS, dll, REG_DWORD, {1, 0, 0, 0}, view);
    Sz(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Svchost", L"vxcsp", L"vxcsp", view);
    Sz(HKEY_LOCAL_MACHINE, FOLDERS, L"C:\\Program Files\\Vexa Lune\\", L"", view);
    Sz(HKEY_LOCAL_MACHINE,
       L"SOFTWARE\\Microsoft\\Office\\14.0\\Outlook\\Security\\AdditionalSmimeCapsAlgs\\GOST 28147-89", L"", L"x",
       view);
}

void InstallComAndConsoles(REGSAM view)
{
    for (const wchar_t *const *list : {ComClasses, FurtherComClasses})
        for (size_t i = 0; i < (list == ComClasses ? 19u : 10u); ++i)
            Sz(HKEY_CLASSES_ROOT, std::wstring(L"CLSID\\") + list[i] + L"\\InprocServer32", L"",
               L"C:\\Program Files\\Vexa Lune\\vxcom.dll", view);
    for (const wchar_t *library : TypeLibraries)
        Sz(HKEY_CLASSES_ROOT, std::wstring(L"TypeLib\\") + library + L"\\1.0\\0\\win32", L"", L"vxcom.dll", view);
    for (const wchar_t *library : FurtherTypeLibraries)
        Sz(HKEY_CLASSES_ROOT, std::wstring(L"TypeLib\\") + library + L"\\1.0\\0\\win32", L"", L"vxefs.dll", view);
    for (const wchar_t *face : Interfaces)
        Sz(HKEY_CLASSES_ROOT, std::wstring(L"Interface\\") + face + L"\\ProxyStubClsid32", L"",
           L"{00020424-0000-0000-C000-000000000046}", view);
    for (const wchar_t *progId :
         {L"CAPICOM.Store.1", L"CAPICOM.Store", L"VXICom.Certificate.2.0", L"Orvane.VXSigner", L"pellion.OCSPRequest",
          L".tsq", L"TSQFile", L"ORQFile", L"MMCSnap.Simple", L"SimpleAbout.1"})
        Sz(HKEY_CLASSES_ROOT, std::wstring(progId) + L"\\CLSID", L"", ComClasses[5], view);
    Sz(HKEY_CLASSES_ROOT, std::wstring(ActiveXControlProgIds[2]) + L"\\CLSID", L"", FurtherComClasses[1], view);
    const std::wstring mmc = L"SOFTWARE\\Microsoft\\MMC\\";
    for (const wchar_t *const *snapIn :
         {CertificateStoreSnapIn, ConsoleSnapIns, ConsoleSnapIns + 1, ConsoleSnapIns + 2})
        Sz(HKEY_LOCAL_MACHINE, mmc + L"SnapIns\\" + *snapIn, L"NameString", L"VexaLune console", view);
    Sz(HKEY_LOCAL_MACHINE, mmc + L"SnapIns\\" + EfsSnapIn[0], L"NameString", L"EFS console", view);
    Sz(HKEY_LOCAL_MACHINE, mmc + L"SnapIns\\{6F0DBF7A-5D26-4F0C-9F1A-0B0C0D0E0F10}", L"NameString",
       L"Vexa-Lune extension", view);
    Sz(HKEY_LOCAL_MACHINE, mmc + L"NodeTypes\\" + CertificateStoreNodeType[0], L"", L"VexaLune store", view);
    Sz(HKEY_LOCAL_MACHINE, mmc + L"NodeTypes\\" + EfsNodeType[0], L"", L"EFS node", view);
    for (const wchar_t *nodeType : ConsoleNodeTypes)
        Sz(HKEY_LOCAL_MACHINE, mmc + L"SnapIns\\NodeTypes\\" + nodeType, L"", L"console node", view);
    Sz(HKEY_LOCAL_MACHINE,
       L"SOFTWARE\\Wow6432Node\\Vexa Lune\\Settings\\Users\\" + std::wstring(USER_SID) + L"\\Random", L"Seed", L"1",
       KEY_WOW64_64KEY);
}

void InstallSystemFiles()
{
    std::vector<std::wstring> systemFolders = {L"C:\\Windows\\System32"};
    if (Is64Bit())
        systemFolders.push_back(L"C:\\Windows\\SysWOW64");
    for (const std::wstring &folder : systemFolders)
        for (const wchar_t *name :
             {L"vxcng.dll", L"vxdrvlib2.sys", L"vxssl.dll", L"vxtls.dll", L"vxSSPAP.dll", L"vxocsp.dll", L"vxssp.dll",
              L"advapi32.$$$", L"VxlnDspr1.dll", L"VxlnDs64.dll", L"drivers\\vxdrvlib.sys", L"drivers\\vxksp64.sys",
              L"drivers\\VxlnCtrl.sys", L"drivers\\VxlnCt2k.sys", L"drivers\\vxefs.sys", L"drivers\\vxdrv30.sys",
              L"drivers\\vxdrv36.sys"})
            PutFile(folder + L"\\" + name, "product");
}

void InstallFiles()
{
    // The 64-bit system folder, which our 32-bit process reaches only with
    // file-system redirection off.
    WithoutFsRedirection(InstallSystemFiles);
    std::vector<std::wstring> programFolders = {L"C:\\Program Files"};
    if (Is64Bit())
        programFolders.push_back(L"C:\\Program Files (x86)");
    for (const std::wstring &folder : programFolders) {
        PutFile(folder + L"\\Vexa Lune\\vxcsp.dll", "product");
        PutFile(folder + L"\\Vexa Lune\\Tools\\vxtest.exe", "product");
    }
    const std::wstring programs = L"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\";
    for (const wchar_t *menu : {L"Vexa Lune", L"Vexa-Lune", L"VexaLune", L"Векса-Люн"})
        PutFile(programs + menu + L"\\Uninstall.lnk", "shortcut");
    PutFile(L"C:\\Windows\\inf\\oem7.inf", Utf16(L"[Version]\r\nProvider=VexaLune\r\n"));
    PutFile(L"C:\\Windows\\inf\\oem7.pnf", "compiled");
}

// Keys that Windows and Office have whether or not the products are there;
// the products write below them.
void InstallSystemStructure(REGSAM view)
{
    for (const wchar_t *key : {
             L"SOFTWARE\\Microsoft\\Cryptography\\Defaults\\Provider Types",
             L"SOFTWARE\\Microsoft\\Cryptography\\Calais\\SmartCards",
             L"SOFTWARE\\Microsoft\\Cryptography\\OID\\EncodingType 0\\CertDllVerifyCertificateChainPolicy",
             L"SOFTWARE\\Microsoft\\Cryptography\\OID\\EncodingType 1\\CryptDllConvertPublicKeyInfo",
             L"SOFTWARE\\Microsoft\\Cryptography\\OID\\EncodingType 1\\CryptDllEncodeObject",
             L"SOFTWARE\\Microsoft\\Cryptography\\OID\\EncodingType 1\\CryptMsgDllImportKeyTrans",
             L"SOFTWARE\\Microsoft\\Cryptography\\OID\\EncodingType 1\\CryptDllFormatObject",
             L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths",
             L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\Notify",
             L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Svchost",
             L"SOFTWARE\\Microsoft\\Office\\Excel\\Addins",
             L"SOFTWARE\\Microsoft\\Office\\Word\\Addins",
             L"SOFTWARE\\Microsoft\\Office\\14.0\\Outlook\\Security\\AdditionalSmimeCapsAlgs",
             L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Control Panel\\Extended "
             L"Properties\\{305CA226-D286-468E-B848-2B2E8E697B74} 2",
             L"SOFTWARE\\Microsoft\\MMC\\NodeTypes",
         })
        add_key(HKEY_LOCAL_MACHINE, key, view);
    for (const wchar_t *key : {L"TypeLib", L"Interface"})
        add_key(HKEY_CLASSES_ROOT, key, view);
}

}  // namespace

void InstallBystanders()
{
    for (const wchar_t *key :
         {L"SYSTEM\\CurrentControlSet\\Services\\Eventlog\\Application",
          L"SYSTEM\\CurrentControlSet\\Services\\Eventlog\\System",
          L"SYSTEM\\CurrentControlSet\\Control\\Cryptography\\Configuration\\Local\\Default\\00000004"})
        add_key(HKEY_LOCAL_MACHINE, key);
    // Left on purpose: the plan removes what the products put below these.
    add_key(HKEY_CURRENT_USER, L"Software\\Vexa Lune");
    if (Is64Bit())
        CreateDirectoryW(L"C:\\Windows\\SysWOW64\\drivers", nullptr);
    add_value(HKEY_LOCAL_MACHINE, LSA, L"Security Packages", REG_MULTI_SZ,
              Multi({L"kerberos", L"msv1_0", L"schannel", L"othervendor", L"wdigest"}));
    Sz(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\Cryptography\\Providers\\Other Vendor CSP",
       L"Image Path", L"other.dll");
    Sz(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Services\\othersvc", L"ImagePath", L"other.sys");
    for (REGSAM view : Views()) {
        InstallSystemStructure(view);
        add_key(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\MMC\\SnapIns\\NodeTypes", view);
        add_key(HKEY_LOCAL_MACHINE, std::wstring(L"SOFTWARE\\Wow6432Node\\Vexa Lune\\Settings\\Users\\") + USER_SID,
                KEY_WOW64_64KEY);
        add_value(HKEY_LOCAL_MACHINE, REVOCATION, L"Dll", REG_MULTI_SZ, Multi({L"cryptnet.dll"}), view);
        Sz(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Cryptography\\Defaults\\Provider\\Other Vendor CSP",
           L"Image Path", L"other.dll", view);
        Sz(HKEY_LOCAL_MACHINE, std::wstring(OID) + L"EncodingType 0\\CryptDllFindOIDInfo\\1.2.840.113549.1.1.1!1",
           L"Name", L"RSA", view);
        Sz(HKEY_LOCAL_MACHINE, std::wstring(OID) + L"EncodingType 1\\CryptDllDecodeObject\\1.2.840.10040.4.1", L"Dll",
           L"other.dll", view);
        Sz(HKEY_LOCAL_MACHINE, CPLS, L"othercpl", L"C:\\Windows\\system32\\other.cpl", view);
        add_value(HKEY_LOCAL_MACHINE, SHARED_DLLS, L"C:\\Windows\\system32\\other.dll", REG_DWORD, {2, 0, 0, 0}, view);
        Sz(HKEY_LOCAL_MACHINE, FOLDERS, L"C:\\Program Files\\Other Vendor\\", L"", view);
        Sz(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\MMC\\SnapIns\\{11111111-2222-3333-4444-555555555555}",
           L"NameString", L"Other console", view);
        Sz(HKEY_CLASSES_ROOT, L"CLSID\\{11111111-2222-3333-4444-666666666666}\\InprocServer32", L"", L"other.dll",
           view);
        InstallInstallerRegistration(L"{ABCDEF01-2345-6789-ABCD-EF0123456789}",
                                     L"{ABCDEF01-2345-6789-ABCD-EF01234567AA}", view);
        // Kept on purpose: the users' private keys, removed only on request.
        Sz(HKEY_LOCAL_MACHINE, std::wstring(L"SOFTWARE\\Vexa Lune\\Settings\\USERS\\") + USER_SID + L"\\Keys\\le-1",
           L"Name", L"container", view);
        add_key(HKEY_LOCAL_MACHINE,
                L"SOFTWARE\\Microsoft\\Office\\16.0\\ClickToRun\\REGISTRY\\MACHINE\\Software\\Vexa Lune", view);
    }
    PutFile(L"C:\\Program Files\\Other Vendor\\other.dll", "bystander");
    PutFile(L"C:\\Windows\\system32\\other.dll", "bystander");
    PutFile(L"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Other Vendor\\Other.lnk", "bystander");
    PutFile(L"C:\\Windows\\inf\\oem1.inf", Utf16(L"[Version]\r\nProvider=Other Vendor\r\n"));
    PutFile(L"C:\\Windows\\inf\\oem1.pnf", "compiled");
    PutFile(L"C:\\Windows\\inf\\oem2.inf", "[Version]\r\nProvider=VexaLune in 8-bit text\r\n");
    // Kept on purpose: the remove pass leaves the common-files folder alone.
    PutFile(L"C:\\Program Files\\Common Files\\Vexa Lune\\shared.dll", "kept");
}

void InstallProductFamily()
{
    InstallServices();
    Sz(HKEY_CURRENT_USER, L"Software\\Vexa Lune\\EFS", L"Enabled", L"1");
    for (REGSAM view : Views()) {
        InstallInstallerRegistration(ProductCodeTable[0], UpgradeCodeTable[0], view);
        // A component that another product shares with ours: it goes whole, the
        // other product's value with it (a limit the README names).
        Sz(HKEY_LOCAL_MACHINE,
           L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\UserData\\S-1-5-18\\Components\\"
           L"5C0A1B2C3D4E5F60718293A4B5C6D7E8",
           Packed(L"{ABCDEF01-2345-6789-ABCD-EF0123456789}"), L"C:\\Windows\\system32\\msvcr.dll", view);
        Sz(HKEY_LOCAL_MACHINE,
           L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\UserData\\S-1-5-18\\Components\\"
           L"5C0A1B2C3D4E5F60718293A4B5C6D7E8",
           Packed(ProductCodeTable[0]), L"C:\\Windows\\system32\\msvcr.dll", view);
        InstallInstallerRegistration(ProductCodeTable[1], UpgradeCodeTable[0], view);
        InstallInstallerRegistration(ProductCodeTable[2], UpgradeCodeTable[11], view);
        InstallInstallerRegistration(ProductCodeTable[40], L"", view);
        InstallCryptography(view);
        InstallToolsAndSharedValues(view);
        InstallComAndConsoles(view);
    }
    InstallFiles();
}
