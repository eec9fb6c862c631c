// The look of the 3-D view the user chose last, kept in the program's
// settings (QSettings, as the recent documents) so that the next run starts
// in it. "Classic" until a choice was made, and for a stored text that
// names no look.
#pragma once

#include "view/look.h"

vh::Look StoredLook();
void StoreLook(vh::Look look);
