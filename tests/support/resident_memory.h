#pragma once

#include <QtGlobal>

// This process's resident memory now (VmRSS), in bytes; 0 where it cannot be read.
qint64 residentMemoryBytes();
