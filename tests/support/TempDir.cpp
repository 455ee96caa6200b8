#include "TempDir.h"

TempDir::TempDir() : dir_(QDir::tempPath() + "/snapvale-test-XXXXXX") {}
