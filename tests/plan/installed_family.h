// A machine on which the product family is installed, written from what the
// products install (services, providers, OID and COM registrations, consoles,
// installer registrations, shared values, files, Start-menu folders, driver
// packages), and beside it the data of others that must survive every run.
#pragma once

// What stays: other vendors' data in the same keys and folders, the system's
// own, and what the tool keeps on purpose (the users' private keys, the
// common-files folder).
void InstallBystanders();
// The product family, in both views on 64-bit Windows. Needs the bystanders.
void InstallProductFamily();
