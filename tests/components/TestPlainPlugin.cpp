#include "TestPlainPlugin.h"
