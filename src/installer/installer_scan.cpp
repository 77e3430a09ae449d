#include "installer/installer_scan.h"
#include "installer/installer.h"

namespace {

BOOL ScanOpen = FALSE;

}  // namespace

void BeginInstallerScan()
{
    ScanOpen = TRUE;
}

void EndInstallerScan()
{
    ScanOpen = FALSE;
    ForgetComponents();
    ForgetFolders();
    ForgetUpgradeCodes();
}

BOOL IsInstallerScanOpen()
{
    return ScanOpen;
}
