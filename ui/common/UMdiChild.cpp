// Compiled on its own so that the meta-object code of the base is made once.
#include "ui/common/UMdiChild.h"
