// Everything the product family leaves in the registry, and the shared
// settings it changed: a fixed sequence, the same in every view and mode.
#include <initializer_list>

#include "driver/process_state.h"
#include "installer/installer.h"
#include "plan/plan.h"
#include "plan/plan_data.h"
#include "plan/plan_steps.h"
#include "registry/registry.h"
#include "repair/repair.h"
#include "report/console_text.h"
#include "report/report.h"

namespace {

const wchar_t *const OrqFileClass[] = {L"ORQFile"};
const wchar_t *const OrsFileClass[] = {L"ORSFile"};
const wchar_t *const UserEfs[] = {L"Software\\Vexa Lune\\EFS"};

DWORD RemoveConsoleProgIds(HKEY hClasses, Pass pass)
{
    const wchar_t *const consoleProgIds[] = {L"MMCSnap.Simple",        L"MMCSnap.Simple.1", ActiveXControlProgIds[0],
                                             ActiveXControlProgIds[1], L"SimpleAbout.1",    ActiveXControlProgIds[2],
                                             ActiveXControlProgIds[3]};
    return DeleteKeys(hClasses, consoleProgIds, pass);
}

DWORD RemoveInstallerRegistrations(Pass pass)
{
    DWORD result = 0;
    BeginInstallerScan();
    PrintOut(L"Start remove by UpgradeCode\n");
    for (LPCWSTR upgradeCode : UpgradeCodeTable)
        result |= RemoveByUpgradeCode(upgradeCode, pass.dwMode, pass.fWarn);
    PrintOut(L"Start remove by Program GUID\n");
    for (LPCWSTR productCode : ProductCodeTable)
        result |= RemoveProduct(productCode, pass.dwMode, pass.fWarn);
    EndInstallerScan();
    return result;
}

DWORD RemoveServicesAndVendorKeys(Pass pass)
{
    const wchar_t *const systemKeys[] = {
        L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\VxlnExclude",
        L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\VxlnIntegrity",
        L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\VxlnPatches",
        L"SYSTEM\\CurrentControlSet\\Services\\Eventlog\\Application\\vxcspi",
        L"SYSTEM\\CurrentControlSet\\Services\\Eventlog\\Application\\vxsspap",
        L"SYSTEM\\CurrentControlSet\\Services\\Eventlog\\System\\VxlnCtrl",
        L"SYSTEM\\CurrentControlSet\\Services\\vxrmcsp",
        L"SYSTEM\\CurrentControlSet\\Services\\vxcsp",
        L"SYSTEM\\CurrentControlSet\\Services\\vxcsp1",
        L"SYSTEM\\CurrentControlSet\\Services\\vxcsp2",
        L"SYSTEM\\CurrentControlSet\\Services\\vxucsp",
        L"SYSTEM\\CurrentControlSet\\Services\\vxmcsp",
        L"SYSTEM\\CurrentControlSet\\Services\\vxdrvlib",
        L"SYSTEM\\CurrentControlSet\\Services\\vxksp",
        L"SYSTEM\\CurrentControlSet\\Services\\VxlnCtrl",
        L"SYSTEM\\CurrentControlSet\\Services\\vxinit",
    };
    // The rest of the vendor key holds the users' private keys: only -delkeys removes it.
    const wchar_t *const vendorAndToolKeys[] = {
        L"SOFTWARE\\Vexa Lune\\Cryptography\\CurrentVersion\\AppPath",
        L"SOFTWARE\\Vexa Lune\\Cryptography",
        L"SOFTWARE\\Vexa Lune\\OCSPAPI",
        L"SOFTWARE\\Vexa Lune\\RP",
        L"SOFTWARE\\Vexa Lune\\App Paths",
        L"SOFTWARE\\Vexa Lune\\Settings\\Detours",
        L"SOFTWARE\\Vexa Lune\\Catalog",
        L"SOFTWARE\\Microsoft\\Cryptography\\Defaults\\Provider Types\\Type 002",
        L"SOFTWARE\\Microsoft\\Cryptography\\Defaults\\Provider Types\\Type 071",
        L"SOFTWARE\\Microsoft\\Cryptography\\Defaults\\Provider Types\\Type 075",
        L"SOFTWARE\\Microsoft\\Cryptography\\Defaults\\Provider Types\\Type 080",
        L"SOFTWARE\\Microsoft\\Cryptography\\Defaults\\Provider Types\\Type 081",
        L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\vxtest.exe",
        L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\vxwipe.exe",
        L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\vxverify.exe",
        L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\Notify\\vxcsp",
        L"SOFTWARE\\Microsoft\\Office\\Excel\\Addins\\vxXMLDSigAddIn.Connect",
        L"SOFTWARE\\Microsoft\\Office\\Word\\Addins\\vxXMLDSigAddIn.Connect",
        L"SOFTWARE\\Microsoft\\Office\\14.0\\ClickToRun\\REGISTRY\\MACHINE\\Software\\Vexa Lune\\Settings",
        L"SOFTWARE\\Microsoft\\Office\\14.0\\ClickToRun\\REGISTRY\\MACHINE\\Software\\Wow6432Node\\Vexa Lune\\Settings",
        L"SOFTWARE\\Microsoft\\Office\\15.0\\ClickToRun\\REGISTRY\\MACHINE\\Software\\Vexa Lune\\Settings",
        L"SOFTWARE\\Microsoft\\Office\\15.0\\ClickToRun\\REGISTRY\\MACHINE\\Software\\Wow6432Node\\Vexa Lune\\Settings",
        L"SOFTWARE\\Microsoft\\Office\\16.0\\ClickToRun\\REGISTRY\\MACHINE\\Software\\Vexa Lune\\Settings",
        L"SOFTWARE\\Microsoft\\Office\\16.0\\ClickToRun\\REGISTRY\\MACHINE\\Software\\Wow6432Node\\Vexa Lune\\Settings",
        L"SOFTWARE\\Microsoft\\Office\\ClickToRun\\REGISTRY\\MACHINE\\Software\\Vexa Lune\\Settings",
        L"SOFTWARE\\Microsoft\\Office\\ClickToRun\\REGISTRY\\MACHINE\\Software\\Wow6432Node\\Vexa Lune\\Settings",
        L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\InProgress",
        L"SYSTEM\\CurrentControlSet\\Control\\Cryptography\\Configuration\\Local\\Default\\00000004\\GR 34.10 - 2001",
    };
    return DeleteKeys(HKEY_LOCAL_MACHINE, systemKeys, pass) | DeleteKeys(HKEY_LOCAL_MACHINE, vendorAndToolKeys, pass);
}

DWORD RemoveProviderAndOidRegistrations(Pass pass)
{
    const wchar_t *const providerNames[] = {L"Vexa-Lune"};
    const wchar_t *const defaultProviderNames[] = {L"Kestrel-VS",
                                                   L"Vexa-Lune",
                                                   L"VexaLune",
                                                   L"GOST R 34.10-2001 eToken",
                                                   L"GOST R 34.10-2001 Rutoken",
                                                   L"GOST R 34.10-2001 UEC",
                                                   L"GOST R 34.10-2001 Magistra CSP"};
    const wchar_t *const smartCardData[] = {L"Vexa-Lune",
                                            L"VexaLune",
                                            L"GOST R 34.10-2001 eToken",
                                            L"GOST R 34.10-2001 Rutoken",
                                            L"GOST R 34.10-2001 UEC",
                                            L"GOST R 34.10-2001 Magistra CSP"};
    const wchar_t *const gostAndPkix[] = {L"1.2.643.2.2.", L"1.3.6.1.5.5.7."};
    const wchar_t *const gost[] = {L"1.2.643.2.2."};
    const wchar_t *const vendorData[] = {L"Vexa Lune"};
    const wchar_t *const formatNames[] = {L"1.2.643.2.2.49.2", L"2.5.29.16"};
    const wchar_t *const gostOnlyFunctions[] = {
        L"SOFTWARE\\Microsoft\\Cryptography\\OID\\EncodingType 1\\CryptDllEncodePublicKeyAndParameters",
        L"SOFTWARE\\Microsoft\\Cryptography\\OID\\EncodingType 1\\CryptDllExportPrivateKeyInfoEx",
        L"SOFTWARE\\Microsoft\\Cryptography\\OID\\EncodingType 1\\CryptDllImportPrivateKeyInfoEx",
        L"SOFTWARE\\Microsoft\\Cryptography\\OID\\EncodingType 1\\CryptMsgDllExportEncryptKey",
        L"SOFTWARE\\Microsoft\\Cryptography\\OID\\EncodingType 1\\CryptMsgDllExportKeyAgree",
        L"SOFTWARE\\Microsoft\\Cryptography\\OID\\EncodingType 1\\CryptMsgDllExportKeyTrans",
        L"SOFTWARE\\Microsoft\\Cryptography\\OID\\EncodingType 1\\CryptMsgDllGenContentEncryptKey",
        L"SOFTWARE\\Microsoft\\Cryptography\\OID\\EncodingType 1\\CryptMsgDllGenEncryptKey",
        L"SOFTWARE\\Microsoft\\Cryptography\\OID\\EncodingType 1\\CryptMsgDllImportEncryptKey",
        L"SOFTWARE\\Microsoft\\Cryptography\\OID\\EncodingType 1\\CryptMsgDllImportKeyAgree",
        L"SOFTWARE\\Microsoft\\Cryptography\\OID\\EncodingType 1\\CryptMsgDllImportKeyTrans",
    };
    const wchar_t *const keyCarriers[] = {L"KeyCarriers"};

    DWORD result = WipeByKeyNames(L"SYSTEM\\CurrentControlSet\\Control\\Cryptography\\Providers", providerNames, pass);
    result |= WipeByKeyNames(L"SOFTWARE\\Microsoft\\Cryptography\\Defaults\\Provider", defaultProviderNames, pass);
    result |= WipeByValueData(L"SOFTWARE\\Microsoft\\Cryptography\\Calais\\SmartCards", smartCardData, pass);
    result |= WipeByKeyNames(L"SOFTWARE\\Microsoft\\Cryptography\\OID\\EncodingType 0\\CryptDllFindOIDInfo",
                             gostAndPkix, pass);
    result |= WipeByKeyNames(L"SOFTWARE\\Microsoft\\Cryptography\\OID\\EncodingType 1\\CryptDllConvertPublicKeyInfo",
                             gost, pass);
    for (LPCWSTR function : {L"SOFTWARE\\Microsoft\\Cryptography\\OID\\EncodingType 1\\CryptDllDecodeObject",
                             L"SOFTWARE\\Microsoft\\Cryptography\\OID\\EncodingType 1\\CryptDllEncodeObject"}) {
        result |= WipeByKeyNames(function, gost, pass);
        result |= WipeByValueData(function, vendorData, pass);
    }
    for (LPCWSTR function : gostOnlyFunctions)
        result |= WipeByKeyNames(function, gost, pass);
    result |= WipeByKeyNames(L"SOFTWARE\\Microsoft\\Cryptography\\OID\\EncodingType 1\\CryptDllFormatObject",
                             formatNames, pass);
    result |= WipeByKeyNames(L"SOFTWARE\\Vexa Lune\\Settings\\USERS", keyCarriers, pass);
    return result;
}

DWORD RemoveChainPoliciesAndConsoles(Pass pass)
{
    const wchar_t *const vendorNames[] = {L"VexaLune", L"Vexa-Lune"};
    DWORD result =
        DeleteGuidKeys(HKEY_LOCAL_MACHINE,
                       L"SOFTWARE\\Microsoft\\Cryptography\\OID\\EncodingType 0\\CertDllVerifyCertificateChainPolicy\\",
                       ChainPolicyProviders, pass);
    result |= DeleteGuidKeys(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\MMC\\SnapIns\\", CertificateStoreSnapIn, pass);
    result |=
        DeleteGuidKeys(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\MMC\\NodeTypes\\", CertificateStoreNodeType, pass);
    result |= WipeByValueData(L"SOFTWARE\\Microsoft\\MMC\\NodeTypes", vendorNames, pass);
    result |= WipeByValueData(L"SOFTWARE\\Microsoft\\MMC\\SnapIns", vendorNames, pass);
    result |=
        DeleteGuidKeys(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\MMC\\SnapIns\\NodeTypes\\", ConsoleNodeTypes, pass);
    result |= DeleteGuidKeys(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\MMC\\SnapIns\\", ConsoleSnapIns, pass);
    return result;
}

DWORD RemoveSharedListValuesAndRepair(Pass pass)
{
    const wchar_t *const applet[] = {L"vxconfig"};
    const wchar_t *const sharedDlls[] = {L"Vexa Lune",   L"vxssl.dll", L"vxssp.dll", L"vxSSPAP.dll",
                                         L"vxsspap.dll", L"vxtls.dll", L"vxocsp.dll"};
    const wchar_t *const serviceHost[] = {L"vxcsp"};
    const wchar_t *const moreSharedDlls[] = {L"vxcng.dll", L"vxocsp.dll", L"vxsspap.dll", L"vxssl.dll", L"Vexa Lune"};
    const wchar_t *const folders[] = {L"Vexa Lune"};

    DWORD result = DeleteValues(L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Control Panel\\Cpls", applet, pass);
    result |= DeleteValues(L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Control Panel\\Extended "
                           L"Properties\\{305CA226-D286-468E-B848-2B2E8E697B74} 2",
                           applet, pass);
    result |= DeleteValues(L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDlls", sharedDlls, pass);
    result |= DeleteValues(L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Svchost", serviceHost, pass);
    result |= TlsRegUninstall(pass.dwMode, pass.fWarn);
    result |= SslRegUninstall(pass.dwMode, pass.fWarn);
    result |= CertDllVerifyRevocationRegUninstall(pass.dwMode, pass.fWarn);
    result |= DeleteValues(L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs", moreSharedDlls, pass);
    result |= DeleteValues(L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\Folders", folders, pass);
    return result;
}

DWORD RemoveOutlookAlgorithms(Pass pass)
{
    const wchar_t *const versions[] = {
        L"SOFTWARE\\Microsoft\\Office\\14.0\\Outlook\\Security\\AdditionalSmimeCapsAlgs",
        L"SOFTWARE\\Microsoft\\Office\\13.0\\Outlook\\Security\\AdditionalSmimeCapsAlgs",
        L"SOFTWARE\\Microsoft\\Office\\12.0\\Outlook\\Security\\AdditionalSmimeCapsAlgs",
        L"SOFTWARE\\Microsoft\\Office\\11.0\\Outlook\\Security\\AdditionalSmimeCapsAlgs",
        L"SOFTWARE\\Microsoft\\Office\\10.0\\Outlook\\Security\\AdditionalSmimeCapsAlgs",
    };
    DWORD result = 0;
    for (LPCWSTR algorithm : {L"GOST 28147-89", L"GOST R 34.11-94"}) {
        const wchar_t *const pattern[] = {algorithm};
        for (LPCWSTR version : versions)
            result |= WipeByKeyNames(version, pattern, pass);
    }
    return result;
}

DWORD RemoveProgIds(HKEY hClasses, Pass pass)
{
    const wchar_t *const progIds[] = {
        L"Trelwick.PrivateKeyUsageValidator.1",
        L"Trelwick.PrivateKeyUsageValidator",
        L"CAPICOM.PrivateKey.1",
        L"CAPICOM.PrivateKey",
        L"CAPICOM.Utilities.1",
        L"CAPICOM.Utilities",
        L"CAPICOM.Certificates",
        L"CAPICOM.Attribute",
        L"CAPICOM.Chain.1",
        L"CAPICOM.Chain",
        L"CAPICOM.Signer.1",
        L"CAPICOM.Signer",
        L"CAPICOM.OID",
        L"CAPICOM.SignedCode",
        L"CAPICOM.Certificate",
        L"CAPICOM.Store.1",
        L"CAPICOM.Store",
        L"CAPICOM.SignedData",
        L"CAPICOM.ExtendedProperty",
        L"CAPICOM.EncryptedData.1",
        L"CAPICOM.EncryptedData",
        L"CAPICOM.Settings.1",
        L"CAPICOM.Settings",
        L"CAPICOM.HashedData.1",
        L"CAPICOM.HashedData",
        L"CAPICOM.Certificate.2",
        L"CAPICOM.Certificate.1",
        L"CAPICOM.EnvelopedData.1",
        L"CAPICOM.EnvelopedData",
        L"CAPICOM.Certificates.2",
        L"CAPICOM.Certificates.1",
        L"Orvane.CadesSignedData.1",
        L"Orvane.CadesSignedData",
        L"Orvane.VXAttribute.1",
        L"Orvane.VXAttribute",
        L"Orvane.VXSigner.1",
        L"Orvane.VXSigner",
        L"VXICom.Attribute.2.0",
        L"VXICom.Attributes.2.0",
        L"VXICom.BasicConstraints.2.0",
        L"VXICom.CertEncodeAIAInfo.2.0",
        L"VXICom.CertEncodeAltName.2.0",
        L"VXICom.CertEncodeCRLDistInfo.2.0",
        L"VXICom.Certificate.2.0",
        L"VXICom.Certificates.2.0",
        L"VXICom.CertRequest.2.0",
        L"VXICom.VXKeyUsage.2.0",
        L"VXICom.CRL.2.0",
        L"VXICom.CRLEntries.2.0",
        L"VXICom.CRLEntry.2.0",
        L"VXICom.CRLNumber.2.0",
        L"VXICom.CRLs.2.0",
        L"VXICom.CSPInfo.2.0",
        L"VXICom.DN.2.0",
        L"VXICom.EKU.2.0",
        L"VXICom.EKUs.2.0",
        L"VXICom.ExtendedKeyUsage.2.0",
        L"VXICom.Extension.2.0",
        L"VXICom.Extensions.2.0",
        L"VXICom.HashedData.2.0",
        L"VXICom.OIDs.2.0",
        L"VXICom.PublicKey.2.0",
        L"VXICom.RDN.2.0",
        L"VXICom.Store.2.0",
        L"VXICom.Stores.2.0",
        L"VXICom.Template.2.0",
        L"VXICom.Utilities.2.0",
        L"pellion.OCSPRequest.1",
        L"pellion.OCSPRequest",
        L"pellion.OCSPResponse.1",
        L"sarnet.TSPRequest.1",
        L"sarnet.TSPRequest",
        L"sarnet.TSPStamp.1",
        L"sarnet.TSPStamp",
        L".orq",
        L".ors",
        L".tsq",
        L".tsr",
        L"TSQFile",
        L"TSRFile",
    };
    return DeleteKeys(hClasses, progIds, pass);
}

DWORD RemoveComRegistrations(Pass pass)
{
    const wchar_t *const orqOnHklm[] = {L"SOFTWARE\\Classes\\ORQFile"};
    const wchar_t *const orsOnHklm[] = {L"SOFTWARE\\Classes\\ORSFile"};

    DWORD result = DeleteGuidKeys(HKEY_CLASSES_ROOT, L"CLSID\\", ComClasses, pass);
    result |= RemoveProgIds(HKEY_CLASSES_ROOT, pass);
    result |= DeleteGuidKeys(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes\\CLSID\\", MachineComClasses, pass);
    result |= DeleteGuidKeys(HKEY_CLASSES_ROOT, L"TypeLib\\", TypeLibraries, pass);
    result |= DeleteGuidKeys(HKEY_CLASSES_ROOT, L"Interface\\", Interfaces, pass);
    result |= DeleteGuidKeys(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes\\TypeLib\\", MachineTypeLibraries, pass);
    result |= DeleteKeys(HKEY_CLASSES_ROOT, OrqFileClass, pass);
    result |= DeleteKeys(HKEY_LOCAL_MACHINE, orqOnHklm, pass);
    result |= DeleteKeys(HKEY_CLASSES_ROOT, OrsFileClass, pass);
    result |= DeleteKeys(HKEY_LOCAL_MACHINE, orsOnHklm, pass);
    return result;
}

DWORD RemoveControlPanelEfsAndTheRest(Pass pass)
{
    const wchar_t *const extendedProperties[] = {
        L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Control Panel\\Extended "
        L"Properties\\{305CA226-D286-468E-B848-2B2E8E697B74}"};
    const wchar_t *const efsKeys[] = {
        L"SYSTEM\\CurrentControlSet\\Services\\Eventlog\\System\\vxefs",
        L"SYSTEM\\CurrentControlSet\\Services\\vxefssrv",
        L"SYSTEM\\CurrentControlSet\\Services\\vxdrv36",
        L"SYSTEM\\CurrentControlSet\\Services\\vxefs",
    };
    const wchar_t *const random[] = {L"Random"};

    DWORD result = DeleteKeys(HKEY_LOCAL_MACHINE, extendedProperties, pass);
    result |= DeleteGuidKeys(HKEY_CLASSES_ROOT, L"CLSID\\", FurtherComClasses, pass);
    result |= DeleteGuidKeys(HKEY_CLASSES_ROOT, L"TypeLib\\", FurtherTypeLibraries, pass);
    result |= RemoveConsoleProgIds(HKEY_CLASSES_ROOT, pass);
    result |= DeleteKeys(HKEY_CURRENT_USER, UserEfs, pass);
    result |= DeleteKeys(HKEY_LOCAL_MACHINE, efsKeys, pass);
    result |= DeleteGuidKeys(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\MMC\\NodeTypes\\", EfsNodeType, pass);
    result |= DeleteGuidKeys(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\MMC\\Snapins\\", EfsSnapIn, pass);
    result |= WipeByKeyNames(L"SOFTWARE\\Wow6432Node\\Vexa Lune\\Settings\\Users", random, pass);
    return result;
}

// Another profile's own registrations, where no user is logged on: its
// classes, in place of the classes the current user sees merged with the
// machine's (those of the machine are gone or reported already), and its
// EFS settings.
DWORD RemoveProfileRegistrations(Pass pass)
{
    DWORD result = DeleteKeys(HKEY_CURRENT_USER, UserEfs, pass);
    HKEY classes;
    LONG status = RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Classes", 0, KEY_READ, &classes);
    if (status != ERROR_SUCCESS)
        return IsAbsentKey(status) ? result
                                   : result | ReportError(SOURCE_INSTALL, __LINE__, static_cast<DWORD>(status),
                                                          REPORT_ALL, "Can not open key: %S", L"Software\\Classes");
    result |= DeleteGuidKeys(classes, L"CLSID\\", ComClasses, pass);
    result |= RemoveProgIds(classes, pass);
    result |= DeleteGuidKeys(classes, L"TypeLib\\", TypeLibraries, pass);
    result |= DeleteGuidKeys(classes, L"Interface\\", Interfaces, pass);
    result |= DeleteKeys(classes, OrqFileClass, pass);
    result |= DeleteKeys(classes, OrsFileClass, pass);
    result |= DeleteGuidKeys(classes, L"CLSID\\", FurtherComClasses, pass);
    result |= DeleteGuidKeys(classes, L"TypeLib\\", FurtherTypeLibraries, pass);
    result |= RemoveConsoleProgIds(classes, pass);
    return result | CloseKeyOrReport(classes, L"Software\\Classes");
}

}  // namespace

DWORD CleanRegistry(DWORD dwMode, DWORD fWarn)
{
    Pass pass = {dwMode, fWarn};
    DWORD result = RemoveInstallerRegistrations(pass);
    result |= RemoveServicesAndVendorKeys(pass);
    result |= RemoveProviderAndOidRegistrations(pass);
    result |= RemoveChainPoliciesAndConsoles(pass);
    result |= RemoveSharedListValuesAndRepair(pass);
    result |= RemoveOutlookAlgorithms(pass);
    result |= RemoveComRegistrations(pass);
    result |= RemoveControlPanelEfsAndTheRest(pass);
    while (NextUserProfile && NextUserProfile())
        result |= RemoveProfileRegistrations(pass);
    // Written to disk at the end of every pass; their outcome is not a result.
    FlushRoot(L"SOFTWARE");
    FlushRoot(L"SYSTEM");
    return result;
}
