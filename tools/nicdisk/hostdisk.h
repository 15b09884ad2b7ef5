// A host folder standing for the driver disk in drive A:, as the launcher would see it
// there: Windows paths (A:\NIC.INF, relative ones from the current folder) map onto
// the folder, and names match without regard to case, as on a FAT disk.
#pragma once
#include "nicstart.h"

#include <stddef.h>

enum { HOST_PATH_CAPACITY = 4096 };

// The disk's letter and root, as the report names them.
#define DISK_ROOT "A:\\"

// Sets the folder that drive A: shows and the current folder (a Windows path on A:)
// that relative paths start from.  Both are kept by pointer.
void vMountDisk(const char* szHostFolder, const char* szCurrentFolder);

// The host path of an existing file or folder named by a Windows path; false when the
// path is not on the disk, names nothing or does not fit.
bool bHostPath(const char* szPath, char szHost[HOST_PATH_CAPACITY]);

// The mounted disk for the launcher's decisions; its validity test reads in dialect
// eDialect, which vSetDialect chooses.
extern const DiskAccess kHostDisk;
void vSetDialect(InfDialect eDialect);
