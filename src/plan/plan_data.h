// The identifiers of the product family that the registry cleanup plan
// removes, in registry form {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}: data
// supplied with the build, kept apart from the plan's code.
#pragma once

extern const wchar_t *const UpgradeCodeTable[24];  // the 12th and 20th are the same
extern const wchar_t *const ProductCodeTable[60];
extern const wchar_t *const ChainPolicyProviders[4];
extern const wchar_t *const CertificateStoreSnapIn[1];
extern const wchar_t *const CertificateStoreNodeType[1];
extern const wchar_t *const ConsoleNodeTypes[3];
extern const wchar_t *const ConsoleSnapIns[3];
extern const wchar_t *const ComClasses[19];         // the four snap-ins above among them
extern const wchar_t *const MachineComClasses[16];  // of ComClasses, also under HKLM
extern const wchar_t *const TypeLibraries[12];
extern const wchar_t *const Interfaces[101];
extern const wchar_t *const MachineTypeLibraries[7];  // of TypeLibraries, also under HKLM
extern const wchar_t *const FurtherComClasses[10];
extern const wchar_t *const FurtherTypeLibraries[5];
extern const wchar_t *const EfsNodeType[1];
extern const wchar_t *const EfsSnapIn[1];  // one of FurtherComClasses
// Versioned ProgIDs of the ActiveX controls, each ending in "Ctrl.1".
extern const wchar_t *const ActiveXControlProgIds[4];
